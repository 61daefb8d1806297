// libFuzzer target for the response side: status line, header lines and
// the bodies (length, chunked, to end). The first byte picks the method and
// whether redirects are followed; the rest is what the server sends.

#include <cstddef>
#include <cstdint>

#include "online/fake_tcp_stream.h"
#include "online/tav_http.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size == 0) return 0;
  auto state = std::make_shared<TFakeState>();
  state->Piece = 1 + data[0] % 64;
  state->Scripts.push_back({std::string(reinterpret_cast<const char *>(data) + 1, size - 1), (data[0] & 0x40) != 0});
  online::TTavHTTP http(std::make_unique<TFakeTcpStream>(state));
  http.HandleRedirects = (data[0] & 0x80) != 0;
  http.Bounds.MaxBodySize = 64 * 1024;
  const online::THttpMethod method = static_cast<online::THttpMethod>(data[0] % 3);
  const online::TPostBody body = online::TPostLines{"a=1"};
  std::string received;
  try {
    http.PerformRequest(method, "http://h/svc", &body, &received);
  } catch (const std::exception &) {
  }
  return 0;
}
