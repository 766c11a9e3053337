// winmsg: pokes at windows from the command line.
//   winmsg find CLASS [TITLE]          prints the handle; exit 1 when there is none
//   winmsg send HANDLE MSG WPARAM LPARAM   prints the result
//   winmsg copydata HANDLE TAG TEXT    sends TEXT (in Windows-1252) plus NUL, prints the result

#include "platform/Cp1252.h"
#include "platform/WinMsg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: winmsg find CLASS [TITLE]\n"
               "       winmsg send HANDLE MSG WPARAM LPARAM\n"
               "       winmsg copydata HANDLE TAG TEXT\n");
  return 2;
}

bool ParseU64(const char* s, uint64_t& v) {
  errno = 0;
  char* end = nullptr;
  v = std::strtoull(s, &end, 0);
  return errno == 0 && end != s && *end == '\0' && s[0] != '-';
}

bool ParseI64(const char* s, int64_t& v) {
  errno = 0;
  char* end = nullptr;
  v = std::strtoll(s, &end, 0);
  return errno == 0 && end != s && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  if (cmd == "find" && (argc == 3 || argc == 4)) {
    const kt::HWND h = argc == 4 ? kt::FindWindow(argv[2], std::string_view(argv[3])) : kt::FindWindow(argv[2]);
    if (h == 0) return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(h));
    return 0;
  }
  if (cmd == "send" && argc == 6) {
    uint64_t h, msg, wParam;
    int64_t lParam;
    if (!ParseU64(argv[2], h) || !ParseU64(argv[3], msg) || msg > 0xFFFFFFFFu || !ParseU64(argv[4], wParam) ||
        !ParseI64(argv[5], lParam))
      return Usage();
    std::printf("%lld\n", static_cast<long long>(kt::SendMessage(h, uint32_t(msg), wParam, lParam)));
    return 0;
  }
  if (cmd == "copydata" && argc == 5) {
    uint64_t h, tag;
    if (!ParseU64(argv[2], h) || !ParseU64(argv[3], tag)) return Usage();
    std::string bytes = kt::Utf8ToCp1252(argv[4]);
    bytes += '\0';
    std::printf("%lld\n", static_cast<long long>(kt::SendCopyData(h, tag, bytes)));
    return 0;
  }
  return Usage();
}
