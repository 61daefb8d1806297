#include "online/lmr_olcs_client.h"

#include <chrono>
#include <mutex>
#include <random>
#include <stdexcept>

namespace online {

const char *const CmdDownloadFile = "DownloadFile";
const char *const CmdGetIOFileNameByGuidSL = "GetIOFileNameByGuidSL";
const char *const CmdSaveLMRServerStartStat = "SaveLMRServerStartStat";
const char *const CmdSaveLMRServerStopStat = "SaveLMRServerStopStat";
const char *const CmdSaveLMRClientConnectStat = "SaveLMRClientConnectStat";
const char *const CmdGetUpdatepackInfo = "GetUpdatepackInfo";
const char *const CmdDownloadUpdatePack = "DownloadUpdatePack";
const char *const CmdPrepareUpdatePack = "PrepareUpdatePack";
const char *const CmdUploadUpdatePack = "UploadUpdatePack";

const char *const ServerErrorOpen = "LMR_OL_SRV_ERROR: ";
const char *const ServerErrorClose = "/LMR_OL_SRV_ERROR";
const char *const ClientVersionText = "5.1.2.1";

namespace {

struct TModuleGenerator {
  std::mutex Lock;
  std::mt19937 Engine{static_cast<std::mt19937::result_type>(
      std::chrono::system_clock::now().time_since_epoch().count())};
};

// Seeded once per run, on first use, so that no other module's start-up
// can draw from it before it exists.
TModuleGenerator &Generator() {
  static TModuleGenerator generator;
  return generator;
}

// A draw from a source that may be scripted: one outside the range would
// index past a key or an order.
std::int32_t Draw(const TRandomSource &random, std::int32_t range) {
  const std::int32_t value = random(range);
  if (value < 0 || (range > 0 && value >= range) || (range == 0 && value != 0))
    throw std::out_of_range("Random source gave " + std::to_string(value) + " for the range " +
                            std::to_string(range));
  return value;
}

void CheckCodeArguments(const std::string &keyA, const std::string &keyB, std::int32_t direction,
                        const std::vector<std::int32_t> &order) {
  if (direction != CodeScramble && direction != CodeUnscramble)
    throw std::invalid_argument("CodeText: direction " + std::to_string(direction) + " is neither 0 nor 1");
  if (keyA.empty() || keyB.empty()) throw std::invalid_argument("CodeText: empty key");
  if (order.empty()) throw std::invalid_argument("CodeText: empty order");
  std::vector<bool> seen(order.size(), false);
  for (const std::int32_t item : order) {
    if (item < 1 || static_cast<std::size_t>(item) > order.size() || seen[item - 1])
      throw std::invalid_argument("CodeText: order " + JoinInts(order, "-") + " is not a permutation of 1.." +
                                  std::to_string(order.size()));
    seen[item - 1] = true;
  }
}

// Positions are 0-based here; the last byte takes no part.
std::string TransposePass(const std::string &text, const std::vector<std::int32_t> &order, bool unscramble) {
  std::string result = text;
  if (text.size() < 2) return result;
  const std::size_t span = text.size() - 1;
  const std::size_t m = order.size();
  const std::size_t fullBlocks = span / m;
  for (std::size_t t = 0; t < span; ++t) {
    const std::size_t block = t / m;
    const std::size_t p = block < fullBlocks ? m * block + static_cast<std::size_t>(order[t % m]) - 1 : t;
    if (unscramble) result[t] = text[p];
    else result[p] = text[t];
  }
  return result;
}

// Past the key's second-to-last letter the index returns to the first, so
// the last letter is never used; the service does the same.
void AdvanceKeyIndex(std::size_t &index, const std::string &key) {
  ++index;
  if (index >= key.size()) index = 1;
}

std::string MixPass(const std::string &text, const std::string &keyA, const std::string &keyB, bool unscramble) {
  std::string result = text;
  if (text.size() < 2) return result;
  std::size_t ia = 1, ib = 1; // 1-based
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const unsigned a = static_cast<unsigned char>(keyA[ia - 1]);
    const unsigned b = static_cast<unsigned char>(keyB[ib - 1]);
    unsigned c = static_cast<unsigned char>(text[i]);
    c = unscramble ? (((c ^ b) - a) & 0xFFu) : (((a + c) & 0xFFu) ^ b);
    AdvanceKeyIndex(ia, keyA);
    AdvanceKeyIndex(ib, keyB);
    result[i] = static_cast<char>(c);
  }
  return result;
}

} // namespace

std::int32_t ModuleRandom(std::int32_t range) {
  if (range < 0) throw std::invalid_argument("Random: negative range " + std::to_string(range));
  if (range == 0) return 0;
  TModuleGenerator &g = Generator();
  std::lock_guard<std::mutex> guard(g.Lock);
  return std::uniform_int_distribution<std::int32_t>(0, range - 1)(g.Engine);
}

std::int32_t RandomKeyLength(std::int32_t maxLength, const TRandomSource &random) {
  if (maxLength < 1)
    throw std::invalid_argument("Key length bound " + std::to_string(maxLength) + " is below 1");
  std::int32_t r = Draw(random, maxLength - 1) + 1;
  if (r == 1 && maxLength > 1) r = 2;
  return r;
}

std::string RandomLetters(std::int32_t n, const TRandomSource &random) {
  std::string letters;
  for (std::int32_t i = 0; i < n; ++i) letters += static_cast<char>('a' + Draw(random, 25));
  return letters;
}

void ShuffleInts(std::vector<std::int32_t> &items, const TRandomSource &random) {
  const auto n = static_cast<std::int32_t>(items.size());
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t j = Draw(random, n - 1);
    if (j != i) std::swap(items[i], items[j]);
  }
}

TVCodeKey MakeCodeKey(std::int32_t maxLength, const TRandomSource &random) {
  TVCodeKey key;
  key.KeyA = RandomLetters(RandomKeyLength(maxLength, random), random);
  key.KeyB = RandomLetters(RandomKeyLength(maxLength, random), random);
  const std::int32_t n = RandomKeyLength(maxLength, random);
  for (std::int32_t i = 1; i <= n; ++i) key.Order.push_back(i);
  ShuffleInts(key.Order, random);
  return key;
}

std::string JoinInts(const std::vector<std::int32_t> &items, const std::string &separator) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) text += separator;
    text += std::to_string(items[i]);
  }
  return text;
}

std::string KeyText(const TVCodeKey &key) {
  return key.KeyA + "\r\n" + key.KeyB + "\r\n" + JoinInts(key.Order, "-") + "\r\n";
}

std::string CodeText(const std::string &text, const std::string &keyA, const std::string &keyB,
                     std::int32_t direction, const std::vector<std::int32_t> &order) {
  CheckCodeArguments(keyA, keyB, direction, order);
  if (direction == CodeScramble) return MixPass(TransposePass(text, order, false), keyA, keyB, false);
  return TransposePass(MixPass(text, keyA, keyB, true), order, true);
}

std::string DecodeText(const std::string &text, const TVCodeKey &key) {
  return CodeText(text, key.KeyA, key.KeyB, CodeUnscramble, key.Order);
}

std::string ExtractServerError(const std::string &answer) {
  const std::size_t open = answer.find(ServerErrorOpen);
  const std::size_t close = answer.find(ServerErrorClose);
  if (open == std::string::npos || close == std::string::npos) return std::string();
  const std::size_t start = open + std::char_traits<char>::length(ServerErrorOpen);
  if (close <= start) return std::string();
  return answer.substr(start, close - start);
}

std::vector<std::string> SplitLines(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", from);
    if (end == std::string::npos) {
      lines.push_back(text.substr(from));
      break;
    }
    lines.push_back(text.substr(from, end - from));
    from = end + 1;
    if (text[end] == '\r' && from < text.size() && text[from] == '\n') ++from;
  }
  return lines;
}

TLMROLCSClient::TLMROLCSClient() : KeyLength(12) {}

std::unique_ptr<TLMROLCSResponse> TLMROLCSClient::ExecuteCommand(const std::string &command, bool decodeAnswer,
                                                                 const TLMROLCSResponseFactory &resultType,
                                                                 const std::string &paramsText) {
  if (!resultType) throw std::invalid_argument("ExecuteCommand: no response type given");
  const TVCodeKey key = MakeCodeKey(KeyLength, Random);
  const std::vector<std::string> lines =
      SplitLines(KeyText(key) + ClientVersionText + "\r\n" + paramsText);
  std::string answer;
  SendCommand(command, &lines, answer);

  std::string errorText;
  if (Connected) {
    if (decodeAnswer) answer = DecodeText(answer, key);
    errorText = ExtractServerError(answer);
  } else {
    // The base check leaves no text when the status was not "200 OK" without
    // an error, or when it skipped a URL that failed before; the command did
    // not reach the service all the same.
    errorText = LastError.empty() ? "Online service " + ServerURL + " is not reachable" : LastError;
    answer.clear();
  }

  std::unique_ptr<TLMROLCSResponse> response = resultType();
  if (!response) throw std::invalid_argument("ExecuteCommand: the response type made no object");
  response->Answer = answer;
  response->ErrorText = errorText;
  response->Success = errorText.empty();
  return response;
}

} // namespace online
