#pragma once
// Command client of the product's online service: every command travels with
// a fresh random key, and the service may scramble its answer with that key.
// The scrambling is shared with the service, so its byte layout must not
// change.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "online/ol_server_custom_client.h"

namespace online {

extern const char *const CmdDownloadFile;
extern const char *const CmdGetIOFileNameByGuidSL;
extern const char *const CmdSaveLMRServerStartStat;
extern const char *const CmdSaveLMRServerStopStat;
extern const char *const CmdSaveLMRClientConnectStat;
extern const char *const CmdGetUpdatepackInfo;
extern const char *const CmdDownloadUpdatePack;
extern const char *const CmdPrepareUpdatePack;
extern const char *const CmdUploadUpdatePack;

extern const char *const ServerErrorOpen;  // "LMR_OL_SRV_ERROR: "
extern const char *const ServerErrorClose; // "/LMR_OL_SRV_ERROR"
extern const char *const ClientVersionText; // "5.1.2.1"

// A uniform integer in [0, range); 0 when range is 0.
using TRandomSource = std::function<std::int32_t(std::int32_t range)>;

// The module's generator, seeded once from the clock and shared by all
// callers (it locks itself).
std::int32_t ModuleRandom(std::int32_t range);

struct TVCodeKey {
  std::string KeyA;
  std::string KeyB;
  std::vector<std::int32_t> Order; // a permutation of 1 ... n
};

std::int32_t RandomKeyLength(std::int32_t maxLength, const TRandomSource &random = ModuleRandom);
std::string RandomLetters(std::int32_t n, const TRandomSource &random = ModuleRandom);
void ShuffleInts(std::vector<std::int32_t> &items, const TRandomSource &random = ModuleRandom);
TVCodeKey MakeCodeKey(std::int32_t maxLength, const TRandomSource &random = ModuleRandom);

std::string JoinInts(const std::vector<std::int32_t> &items, const std::string &separator);
std::string KeyText(const TVCodeKey &key);

enum : std::int32_t { CodeScramble = 0, CodeUnscramble = 1 };
// Both passes leave the last byte alone. Throws std::invalid_argument for an
// empty key, an order that is not a permutation of 1 ... n, or a direction
// other than 0 and 1, which would otherwise index out of the text or lose
// bytes.
std::string CodeText(const std::string &text, const std::string &keyA, const std::string &keyB,
                     std::int32_t direction, const std::vector<std::int32_t> &order);
std::string DecodeText(const std::string &text, const TVCodeKey &key);

std::string ExtractServerError(const std::string &answer);

// Lines separated by CR LF, LF or CR; a break at the end adds no line.
std::vector<std::string> SplitLines(const std::string &text);

struct TLMROLCSResponse {
  virtual ~TLMROLCSResponse() = default;
  bool Success = false;
  std::string ErrorText;
  std::string Answer;
};

using TLMROLCSResponseFactory = std::function<std::unique_ptr<TLMROLCSResponse>()>;

class TLMROLCSClient : public TOLServerCustomClient {
public:
  TLMROLCSClient();

  // resultType makes the empty response object of the caller's type.
  // Errors of the GET itself pass out; no response is made then.
  virtual std::unique_ptr<TLMROLCSResponse> ExecuteCommand(const std::string &command, bool decodeAnswer,
                                                           const TLMROLCSResponseFactory &resultType,
                                                           const std::string &paramsText);

  template <class T>
  std::unique_ptr<T> ExecuteCommand(const std::string &command, bool decodeAnswer, const std::string &paramsText) {
    static_assert(std::is_base_of<TLMROLCSResponse, T>::value, "a response type derives from TLMROLCSResponse");
    std::unique_ptr<TLMROLCSResponse> response =
        ExecuteCommand(command, decodeAnswer, [] { return std::unique_ptr<TLMROLCSResponse>(new T()); }, paramsText);
    return std::unique_ptr<T>(static_cast<T *>(response.release()));
  }

  std::int32_t KeyLength = 0;
  // Where command keys come from; tests put a scripted source here.
  TRandomSource Random = ModuleRandom;
};

} // namespace online
