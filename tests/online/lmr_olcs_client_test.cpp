#include "online/lmr_olcs_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "online/fake_tcp_stream.h"
#include "online/http_errors.h"

using namespace online;

namespace {

// Hands out the scripted values in a loop and records the ranges asked for.
struct TScriptedRandom {
  std::vector<std::int32_t> Values;
  std::vector<std::int32_t> Ranges;
  std::size_t Next = 0;

  TRandomSource Source() {
    return [this](std::int32_t range) {
      Ranges.push_back(range);
      return Values.at(Next++ % Values.size());
    };
  }
};

// Draws that make the key ab / cd / 2-1 with KeyLength 12.
const std::vector<std::int32_t> KeyAbCd21 = {1, 0, 1, 1, 2, 3, 1, 0, 0};

TEST(CodeKey, RandomKeyLength) {
  struct Case {
    std::int32_t MaxLength, Draw, Length, Range;
  } const cases[] = {
      {12, 0, 2, 11}, {12, 1, 2, 11}, {12, 2, 3, 11}, {12, 10, 11, 11}, {2, 0, 2, 1}, {1, 0, 1, 0},
  };
  for (const auto &c : cases) {
    TScriptedRandom r{{c.Draw}};
    EXPECT_EQ(RandomKeyLength(c.MaxLength, r.Source()), c.Length) << c.MaxLength << " " << c.Draw;
    EXPECT_EQ(r.Ranges, std::vector<std::int32_t>{c.Range});
  }
  EXPECT_THROW(RandomKeyLength(0), std::invalid_argument);
}

TEST(CodeKey, LettersAndShuffleFollowTheDraws) {
  TScriptedRandom letters{{0, 1, 24}};
  EXPECT_EQ(RandomLetters(3, letters.Source()), "aby");
  EXPECT_EQ(letters.Ranges, (std::vector<std::int32_t>{25, 25, 25}));

  struct Case {
    std::vector<std::int32_t> Items, Draws, Shuffled;
  } const cases[] = {
      {{}, {0}, {}},
      {{1}, {0}, {1}},
      {{1, 2}, {0, 0}, {2, 1}},
      {{1, 2, 3}, {1, 0, 1}, {1, 3, 2}},
      {{1, 2, 3, 4}, {2, 2, 0, 1}, {2, 4, 3, 1}},
  };
  for (const auto &c : cases) {
    TScriptedRandom r{c.Draws};
    std::vector<std::int32_t> items = c.Items;
    ShuffleInts(items, r.Source());
    EXPECT_EQ(items, c.Shuffled) << JoinInts(c.Items, "-");
    EXPECT_EQ(r.Ranges, std::vector<std::int32_t>(c.Items.size(), static_cast<std::int32_t>(c.Items.size()) - 1));
  }
}

TEST(CodeKey, MakeCodeKeyDrawsEachLengthInTurn) {
  TScriptedRandom r{KeyAbCd21};
  const TVCodeKey key = MakeCodeKey(12, r.Source());
  EXPECT_EQ(key.KeyA, "ab");
  EXPECT_EQ(key.KeyB, "cd");
  EXPECT_EQ(key.Order, (std::vector<std::int32_t>{2, 1}));
  EXPECT_EQ(r.Ranges, (std::vector<std::int32_t>{11, 25, 25, 11, 25, 25, 11, 1, 1}));

  TScriptedRandom outside{{11}};
  EXPECT_THROW(MakeCodeKey(12, outside.Source()), std::out_of_range);
}

TEST(CodeKey, ModuleKeysOverManyDraws) {
  std::set<std::size_t> lengths;
  std::set<char> letters;
  for (int i = 0; i < 2000; ++i) {
    const TVCodeKey key = MakeCodeKey(12);
    for (const std::size_t n : {key.KeyA.size(), key.KeyB.size(), key.Order.size()}) {
      ASSERT_GE(n, 2u);
      ASSERT_LE(n, 11u);
      lengths.insert(n);
    }
    for (const char ch : key.KeyA + key.KeyB) {
      ASSERT_TRUE(ch >= 'a' && ch <= 'y') << key.KeyA << " " << key.KeyB;
      letters.insert(ch);
    }
    std::vector<std::int32_t> sorted = key.Order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 0; k < sorted.size(); ++k) ASSERT_EQ(sorted[k], static_cast<std::int32_t>(k + 1));
  }
  EXPECT_EQ(lengths.size(), 10u);
  EXPECT_EQ(letters.size(), 25u);
}

TEST(CodeKey, KeyText) {
  EXPECT_EQ(KeyText({"ab", "cd", {2, 1}}), "ab\r\ncd\r\n2-1\r\n");
  EXPECT_EQ(KeyText({"x", "y", {3, 10, 1}}), "x\r\ny\r\n3-10-1\r\n");
}

TEST(CodeText, ExactBytes) {
  struct Case {
    std::string Text, KeyA, KeyB;
    std::vector<std::int32_t> Order;
    std::string Scrambled;
  } const cases[] = {
      // Transposed to X W Y Z, then (c + 'b') mod 256 xor 'c'; Z is the last byte.
      {"WXYZ", "b", "c", {2, 1}, "\xd9\xda\xd8Z"},
      // Two full blocks and one odd byte; the sum wraps past 255; the last
      // letter of either key is never used.
      {std::string("\xf0\x01\x02\x03\x04\x05\x06!"), "abz", "yx", {3, 1, 2},
       "\x1b\x1d\x28\x1f\x1f\x1c\x1e!"},
      {"Hello", "ab", "cd", {1}, "\xca\xa5\xae\xaeo"},
      {"Q", "ab", "cd", {2, 1}, "Q"},
      {"", "ab", "cd", {2, 1}, ""},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(CodeText(c.Text, c.KeyA, c.KeyB, CodeScramble, c.Order), c.Scrambled) << c.Text;
    EXPECT_EQ(CodeText(c.Scrambled, c.KeyA, c.KeyB, CodeUnscramble, c.Order), c.Text) << c.Text;
  }
}

TEST(CodeText, RoundTripEveryLength) {
  std::mt19937 engine(20261210);
  const TRandomSource random = [&engine](std::int32_t range) {
    return range == 0 ? 0 : std::uniform_int_distribution<std::int32_t>(0, range - 1)(engine);
  };
  for (std::size_t length = 0; length <= 300; ++length) {
    std::string text(length, '\0');
    for (char &ch : text) ch = static_cast<char>(random(256));
    const TVCodeKey key = MakeCodeKey(12, random);
    const std::string scrambled = CodeText(text, key.KeyA, key.KeyB, CodeScramble, key.Order);
    ASSERT_EQ(scrambled.size(), length);
    if (length) ASSERT_EQ(scrambled.back(), text.back()) << length;
    ASSERT_EQ(DecodeText(scrambled, key), text) << "length " << length << " key " << KeyText(key);
  }
}

TEST(CodeText, RefusesKeysThatWouldIndexOutside) {
  struct Case {
    std::string KeyA, KeyB;
    std::vector<std::int32_t> Order;
    std::int32_t Direction;
  } const cases[] = {
      {"", "cd", {1}, 0},     {"ab", "", {1}, 1},       {"ab", "cd", {}, 0},
      {"ab", "cd", {1, 1}, 0}, {"ab", "cd", {0, 1}, 1}, {"ab", "cd", {1, 3}, 0},
      {"ab", "cd", {1}, 2},
  };
  for (const auto &c : cases)
    EXPECT_THROW(CodeText("abcdef", c.KeyA, c.KeyB, c.Direction, c.Order), std::invalid_argument)
        << c.KeyA << "/" << c.KeyB << "/" << JoinInts(c.Order, "-") << "/" << c.Direction;
}

TEST(ExtractServerError, Markers) {
  struct Case {
    const char *Answer, *Error;
  } const cases[] = {
      {"LMR_OL_SRV_ERROR: bad params/LMR_OL_SRV_ERROR", "bad params"},
      {"head LMR_OL_SRV_ERROR: x y/LMR_OL_SRV_ERROR tail", "x y"},
      {"LMR_OL_SRV_ERROR: /LMR_OL_SRV_ERROR", ""},
      {"/LMR_OL_SRV_ERROR LMR_OL_SRV_ERROR: bad params", ""},
      {"LMR_OL_SRV_ERROR: bad params", ""},
      {"bad params/LMR_OL_SRV_ERROR", ""},
      {"LMR_OL_SRV_ERROR:bad/LMR_OL_SRV_ERROR", ""},
      {"", ""},
  };
  for (const auto &c : cases) EXPECT_EQ(ExtractServerError(c.Answer), c.Error) << c.Answer;
}

TEST(SplitLines, Breaks) {
  struct Case {
    const char *Text;
    std::vector<std::string> Lines;
  } const cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\r\n\r\n", {"a", ""}},
  };
  for (const auto &c : cases) EXPECT_EQ(SplitLines(c.Text), c.Lines) << c.Text;
}

const char Url[] = "http://svc.example/lmr/svc.dll";
const char Ok[] = "HTTP/1.1 200 OK\r\n\r\n";

std::string Body(const std::string &bytes) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bytes.size()) + "\r\n\r\n" + bytes;
}

struct TFileResponse : TLMROLCSResponse {
  std::string FileName = "kept";
};

struct TCommandFixture {
  std::shared_ptr<TFakeState> State = std::make_shared<TFakeState>();
  TScriptedRandom Random{KeyAbCd21};
  TLMROLCSClient Client;

  TCommandFixture() {
    Client.StreamFactory = [s = State] { return std::make_unique<TFakeTcpStream>(s); };
    Client.Bounds.ReadTimeoutMs = 50;
    Client.Random = Random.Source();
  }
};

TEST(TLMROLCSClient, ExecuteCommand) {
  const std::string plain = "LMR_OL_SRV_ERROR: no such guid/LMR_OL_SRV_ERROR";
  const std::string scrambled = CodeText(plain, "ab", "cd", CodeScramble, {2, 1});
  const std::string unreachable = std::string("Online service ") + Url + " is not reachable";
  struct Case {
    const char *Name, *ServerUrl;
    std::vector<std::string> Answers;
    bool Decode;
    const char *Params, *RequestLine;
    bool Success;
    std::string ErrorText, Answer;
  } const cases[] = {
      {"plain", Url, {Ok, Body("data")}, false, "p1\r\n\r\np3\n",
       "GET /lmr/svc.dll/GetIOFileNameByGuidSL?&ab&cd&2-1&5.1.2.1&p1&&p3 HTTP/1.1\r\n", true, "", "data"},
      {"service error", Url, {Ok, Body(plain)}, false, "",
       "GET /lmr/svc.dll/GetIOFileNameByGuidSL?&ab&cd&2-1&5.1.2.1 HTTP/1.1\r\n", false, "no such guid", plain},
      {"scrambled answer", Url, {Ok, Body(scrambled)}, true, "g",
       "GET /lmr/svc.dll/GetIOFileNameByGuidSL?&ab&cd&2-1&5.1.2.1&g HTTP/1.1\r\n", false, "no such guid", plain},
      {"empty answer on a kept connection", Url, {Ok, Body("")}, false, "g",
       "GET /lmr/svc.dll/GetIOFileNameByGuidSL?&ab&cd&2-1&5.1.2.1&g HTTP/1.1\r\n", true, "", ""},
      {"no URL", "", {}, false, "g", nullptr, false, "ServerURL is not defined", ""},
      {"check failed", Url, {"HTTP/1.1 404 Not Found\r\n\r\n"}, false, "g", nullptr, false, "ES: 404 Not Found", ""},
      {"check gave no error", Url, {"HTTP/1.1 200 Ok\r\n\r\n"}, false, "g", nullptr, false, unreachable, ""},
  };
  for (const auto &c : cases) {
    TCommandFixture f;
    for (const auto &a : c.Answers) f.State->Scripts.push_back({a, false});
    f.Client.SetServerURL(c.ServerUrl);
    const std::unique_ptr<TFileResponse> r =
        f.Client.ExecuteCommand<TFileResponse>(CmdGetIOFileNameByGuidSL, c.Decode, c.Params);
    ASSERT_TRUE(r) << c.Name;
    EXPECT_EQ(r->Success, c.Success) << c.Name;
    EXPECT_EQ(r->ErrorText, c.ErrorText) << c.Name;
    EXPECT_EQ(r->Answer, c.Answer) << c.Name;
    EXPECT_EQ(r->FileName, "kept") << c.Name;
    EXPECT_EQ(f.State->Written.size(), c.Answers.size()) << c.Name;
    if (c.RequestLine) {
      ASSERT_EQ(f.State->Written.size(), 2u) << c.Name;
      EXPECT_EQ(f.State->Written[1].rfind(c.RequestLine, 0), 0u) << f.State->Written[1];
    }
  }
}

// The base check skips a URL that failed before and leaves no error text;
// the command still did not reach the service.
TEST(TLMROLCSClient, RepeatedCommandAfterFailedCheckIsNoSuccess) {
  TCommandFixture f;
  f.State->Scripts.push_back({"HTTP/1.1 503 Busy\r\n\r\n", false});
  f.Client.SetServerURL(Url);
  EXPECT_EQ(f.Client.ExecuteCommand<TLMROLCSResponse>(CmdDownloadFile, false, "")->ErrorText, "ES: 503 Busy");
  const auto second = f.Client.ExecuteCommand<TLMROLCSResponse>(CmdDownloadFile, false, "");
  EXPECT_FALSE(second->Success);
  EXPECT_EQ(second->ErrorText, std::string("Online service ") + Url + " is not reachable");
  EXPECT_EQ(f.State->Endpoints.size(), 1u);
}

TEST(TLMROLCSClient, GetErrorPassesOut) {
  TCommandFixture f;
  f.State->Scripts.push_back({Ok, false});
  f.State->Scripts.push_back({"HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\noops", false});
  f.Client.SetServerURL(Url);
  EXPECT_THROW(f.Client.ExecuteCommand<TLMROLCSResponse>(CmdUploadUpdatePack, false, ""), EHttpProtocolError);
}

TEST(TLMROLCSClient, KeyLengthDefault) { EXPECT_EQ(TLMROLCSClient().KeyLength, 12); }

} // namespace
