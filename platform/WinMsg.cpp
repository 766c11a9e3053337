#include "platform/WinMsg.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace kt {
namespace {

// ---- wire format --------------------------------------------------------
// Request: 40-byte header, then Size bytes of copy data. Response: 16 bytes.
// All numbers little-endian (the host order of every machine we run on).
constexpr uint32_t kRequestMagic = 0x4D57544B;   // "KTWM"
constexpr uint32_t kResponseMagic = 0x5257544B;  // "KTWR"
constexpr uint32_t kFlagCopyData = 1;
constexpr uint32_t kMaxCopyData = 64u << 20;

#pragma pack(push, 1)
struct RequestHeader {
  uint32_t Magic;
  uint32_t Msg;
  uint64_t WParam;
  int64_t LParam;
  uint64_t Tag;
  uint32_t Size;
  uint32_t Flags;
};
struct ResponseFrame {
  uint32_t Magic;
  uint32_t Reserved;
  int64_t Result;
};
#pragma pack(pop)
static_assert(sizeof(RequestHeader) == 40 && sizeof(ResponseFrame) == 16);

std::atomic<int> gSendTimeoutMs{3000};

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : int(left);
}

bool SocketAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

std::string SocketPath(const std::string& folder, HWND h) { return folder + "/" + std::to_string(h) + ".sock"; }
std::string InfoPath(const std::string& folder, HWND h) { return folder + "/" + std::to_string(h) + ".win"; }

// What a window's info file holds: pid, registration time, class and title,
// separated by NUL bytes (none of them holds one).
struct WindowInfo {
  long Pid = 0;
  long long Registered = 0;
  std::string Class, Title;
};

std::string WithoutNul(std::string_view s) {
  std::string out;
  for (char c : s)
    if (c != '\0') out += c;
  return out;
}

bool WriteInfo(const std::string& folder, HWND h, const WindowInfo& info) {
  std::string bytes = std::to_string(info.Pid) + '\0' + std::to_string(info.Registered) + '\0' + info.Class + '\0' +
                      info.Title + '\0';
  const std::string final = InfoPath(folder, h);
  const std::string tmp = final + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool ok = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
  ::close(fd);
  if (!ok || ::rename(tmp.c_str(), final.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

bool ReadInfo(const std::string& file, WindowInfo& info) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[4096];
  const ssize_t n = ::read(fd, buf, sizeof buf);
  ::close(fd);
  if (n <= 0) return false;
  std::vector<std::string> parts;
  std::string cur;
  for (ssize_t i = 0; i < n; ++i) {
    if (buf[i] == '\0') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += buf[i];
    }
  }
  if (parts.size() < 4) return false;
  info.Pid = std::strtol(parts[0].c_str(), nullptr, 10);
  info.Registered = std::strtoll(parts[1].c_str(), nullptr, 10);
  info.Class = parts[2];
  info.Title = parts[3];
  return true;
}

// Connects without blocking; -1 when nobody listens there.
int Connect(const std::string& path, int& err) {
  sockaddr_un addr;
  err = 0;
  if (!SocketAddress(path, addr)) {
    err = ENAMETOOLONG;
    return -1;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    err = errno;
    return -1;
  }
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    err = errno;
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAllUntil(int fd, const char* data, size_t size, Clock::time_point deadline) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += size_t(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      const int left = RemainingMs(deadline);
      if (left == 0 || ::poll(&p, 1, left) <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

// got, when given, tells how many bytes arrived, also when not all did.
bool ReadAllUntil(int fd, char* data, size_t size, Clock::time_point deadline, size_t* got = nullptr) {
  size_t done = 0;
  struct Report {
    size_t& done;
    size_t* got;
    ~Report() {
      if (got) *got = done;
    }
  } report{done, got};
  // The answer is seldom there yet: wait for it first rather than try in vain.
  {
    pollfd p{fd, POLLIN, 0};
    const int left = RemainingMs(deadline);
    if (left > 0 && ::poll(&p, 1, left) == 0) return false;
  }
  while (done < size) {
    const ssize_t n = ::recv(fd, data + done, size - done, 0);
    if (n > 0) {
      done += size_t(n);
      continue;
    }
    if (n == 0) return false;  // the window went away
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd p{fd, POLLIN, 0};
      const int left = RemainingMs(deadline);
      if (left == 0) return false;
      const int r = ::poll(&p, 1, left);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

// ---- windows of this process -------------------------------------------

// How long a window waits on a connection for the next request of a burst.
constexpr int kBurstWaitMs = 1;

struct Client {
  int Fd = -1;
  std::unique_ptr<QSocketNotifier> Notifier;
  std::string In;
  bool Busy = false;
  bool CloseWhenDone = false;

  void Close() {
    if (Notifier) {
      Notifier->setEnabled(false);
      Notifier.release()->deleteLater();
    }
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }
};

struct LocalWindow {
  HWND Handle = 0;
  std::string Folder;
  WindowInfo Info;
  TWindowHandler Handler;
  int ListenFd = -1;
  std::unique_ptr<QSocketNotifier> ListenNotifier;
  std::vector<std::shared_ptr<Client>> Clients;
  bool Gone = false;
};

std::mutex gLocalMutex;
std::map<HWND, std::shared_ptr<LocalWindow>> gLocal;
std::atomic<uint32_t> gCounter{0};
bool gPostRoutineAdded = false;

std::shared_ptr<LocalWindow> LocalWindowOf(HWND h) {
  std::lock_guard<std::mutex> lock(gLocalMutex);
  auto it = gLocal.find(h);
  return it == gLocal.end() ? nullptr : it->second;
}

void DropClient(LocalWindow& w, const std::shared_ptr<Client>& c) {
  c->Close();
  auto& v = w.Clients;
  v.erase(std::remove(v.begin(), v.end(), c), v.end());
}

// The buffer begins with a header and all the data it announces.
bool HoldsWholeRequest(const std::string& in) {
  if (in.size() < sizeof(RequestHeader)) return false;
  RequestHeader h;
  std::memcpy(&h, in.data(), sizeof h);
  return in.size() - sizeof h >= h.Size;
}

void ServeClient(const std::shared_ptr<LocalWindow>& w, const std::shared_ptr<Client>& c) {
  if (c->Fd < 0 || c->Busy) return;
  bool eof = false;
  char buf[65536];
  auto readAvailable = [&] {
    for (;;) {
      const ssize_t n = ::recv(c->Fd, buf, sizeof buf, 0);
      if (n > 0) {
        c->In.append(buf, size_t(n));
        if (c->In.size() > sizeof(RequestHeader) + kMaxCopyData) return;
        // A whole request that filled no buffer: nothing more is waiting behind it.
        if (size_t(n) < sizeof buf && HoldsWholeRequest(c->In)) return;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      eof = true;
      return;
    }
  };
  readAvailable();
  std::string out;  // answers not yet written
  while (!eof && c->In.size() >= sizeof(RequestHeader)) {
    RequestHeader h;
    std::memcpy(&h, c->In.data(), sizeof h);
    if (h.Magic != kRequestMagic || h.Size > kMaxCopyData) {
      eof = true;  // not one of ours: hang up
      break;
    }
    if (!HoldsWholeRequest(c->In)) break;
    TCopyData cd;
    TMessage m;
    m.Msg = h.Msg;
    m.WParam = h.WParam;
    m.LParam = h.LParam;
    if (h.Flags & kFlagCopyData) {
      cd.Tag = h.Tag;
      cd.Bytes.assign(c->In.data() + sizeof h, h.Size);
      m.CopyData = &cd;
    }
    c->In.erase(0, sizeof h + h.Size);

    // The handler may process events, or close this very window; the client
    // stays until its answer is written.
    c->Busy = true;
    if (c->Notifier) c->Notifier->setEnabled(false);
    int64_t result = 0;
    if (!w->Gone && w->Handler) {
      TWindowHandler handler = w->Handler;
      result = handler(m);
    }
    c->Busy = false;
    const ResponseFrame r{kResponseMagic, 0, result};
    out.append(reinterpret_cast<const char*>(&r), sizeof r);
    // The answers of requests that are already waiting go out together.
    if (!HoldsWholeRequest(c->In) || c->CloseWhenDone || c->Fd < 0) {
      if (c->Fd < 0 || !WriteAllUntil(c->Fd, out.data(), out.size(),
                                      Clock::now() + std::chrono::milliseconds(gSendTimeoutMs.load())))
        eof = true;
      out.clear();
    }
    if (c->CloseWhenDone) eof = true;
    if (eof) break;
    // A sender reading a text one character per message sends the next
    // request at once: wait a moment for it here instead of going back
    // through the event loop for every message of the burst.
    if (c->In.size() < sizeof(RequestHeader)) {
      pollfd p{c->Fd, POLLIN, 0};
      if (::poll(&p, 1, kBurstWaitMs) > 0) readAvailable();
    }
  }
  if (eof) {
    DropClient(*w, c);
    return;
  }
  if (c->Notifier) c->Notifier->setEnabled(true);
}

void AcceptClients(const std::shared_ptr<LocalWindow>& w) {
  for (;;) {
    const int fd = ::accept4(w->ListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return;
    }
    auto c = std::make_shared<Client>();
    c->Fd = fd;
    c->Notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    std::weak_ptr<LocalWindow> weakW = w;
    std::weak_ptr<Client> weakC = c;
    QObject::connect(c->Notifier.get(), &QSocketNotifier::activated, [weakW, weakC] {
      auto w = weakW.lock();
      auto c = weakC.lock();
      if (w && c) ServeClient(w, c);
    });
    w->Clients.push_back(c);
  }
}

void CloseLocalWindow(const std::shared_ptr<LocalWindow>& w) {
  w->Gone = true;
  if (w->ListenNotifier) {
    w->ListenNotifier->setEnabled(false);
    w->ListenNotifier.release()->deleteLater();
  }
  if (w->ListenFd >= 0) ::close(w->ListenFd);
  w->ListenFd = -1;
  ::unlink(SocketPath(w->Folder, w->Handle).c_str());
  ::unlink(InfoPath(w->Folder, w->Handle).c_str());
  auto clients = w->Clients;
  for (auto& c : clients) {
    if (c->Busy) {
      c->CloseWhenDone = true;  // its answer is still to be written
    } else {
      DropClient(*w, c);
    }
  }
}

void UnregisterAllWindows() {
  std::map<HWND, std::shared_ptr<LocalWindow>> all;
  {
    std::lock_guard<std::mutex> lock(gLocalMutex);
    all.swap(gLocal);
  }
  for (auto& [h, w] : all) CloseLocalWindow(w);
}

// ---- connections to other processes' windows ------------------------------

std::mutex gConnMutex;
std::multimap<HWND, int> gIdle;  // open connections not in use

int TakeConnection(HWND h) {
  std::lock_guard<std::mutex> lock(gConnMutex);
  auto it = gIdle.find(h);
  if (it == gIdle.end()) return -1;
  const int fd = it->second;
  gIdle.erase(it);
  return fd;
}

void GiveBackConnection(HWND h, int fd) {
  std::lock_guard<std::mutex> lock(gConnMutex);
  gIdle.emplace(h, fd);
}

void ForgetConnections(HWND h) {
  std::lock_guard<std::mutex> lock(gConnMutex);
  auto range = gIdle.equal_range(h);
  for (auto it = range.first; it != range.second; ++it) ::close(it->second);
  gIdle.erase(range.first, range.second);
}

int64_t CallLocal(LocalWindow& w, const RequestHeader& header, std::string_view data) {
  if (w.Gone || !w.Handler) return 0;
  TCopyData cd;
  TMessage m{header.Msg, header.WParam, header.LParam, nullptr};
  if (header.Flags & kFlagCopyData) {
    cd.Tag = header.Tag;
    cd.Bytes.assign(data);
    m.CopyData = &cd;
  }
  TWindowHandler handler = w.Handler;
  return handler(m);
}

// Writes the frames of count requests at once and reads their answers into
// results; false when the window is gone or silent, with the answers that
// came before that in results.
bool Transact(HWND h, std::string_view frames, size_t count, int64_t* results) {
  std::vector<ResponseFrame> answers(count);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(gSendTimeoutMs.load());
    int fd = TakeConnection(h);
    const bool reused = fd >= 0;
    if (!reused) {
      // The folder is looked up only for a new connection: a burst of
      // messages reuses one without touching the file system.
      const std::string folder = WindowFolder();
      if (folder.empty()) return false;
      int err;
      fd = Connect(SocketPath(folder, h), err);
      if (fd < 0) return false;  // nobody listens there: the window is gone
    }
    if (!WriteAllUntil(fd, frames.data(), frames.size(), deadline)) {
      ::close(fd);
      if (reused) continue;  // the old connection was dead; try a fresh one once
      return false;
    }
    size_t got = 0;
    bool ok = ReadAllUntil(fd, reinterpret_cast<char*>(answers.data()), count * sizeof(ResponseFrame), deadline, &got);
    // The answers that came before the window went away still count.
    const size_t answered = got / sizeof(ResponseFrame);
    for (size_t i = 0; i < answered && answers[i].Magic == kResponseMagic; ++i) results[i] = answers[i].Result;
    for (size_t i = 0; ok && i < count; ++i) ok = answers[i].Magic == kResponseMagic;
    if (!ok) {
      ::close(fd);  // a late answer must not be taken for the next one
      ForgetConnections(h);
      return false;
    }
    GiveBackConnection(h, fd);
    return true;
  }
  return false;
}

int64_t Send(HWND h, const RequestHeader& header, std::string_view data) {
  if (h == 0) return 0;
  if (auto w = LocalWindowOf(h)) return CallLocal(*w, header, data);
  std::string frame(reinterpret_cast<const char*>(&header), sizeof header);
  frame.append(data);
  int64_t result = 0;
  return Transact(h, frame, 1, &result) ? result : 0;
}

// Window classes and titles compare without regard to ASCII letter case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 32);
    if (y >= 'a' && y <= 'z') y = char(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool ClassAndTitleMatch(const WindowInfo& info, std::string_view className, std::optional<std::string_view> title) {
  if (!EqualsIgnoreCase(info.Class, className)) return false;
  return !title || EqualsIgnoreCase(info.Title, *title);
}

}  // namespace

std::string WindowFolder() {
  std::string folder;
  if (const char* own = std::getenv("KLANGTRUHE_RUNTIME_DIR"); own && *own) {
    folder = own;
  } else if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg && ::access(xdg, W_OK) == 0) {
    folder = std::string(xdg) + "/klangtruhe";
  } else {
    folder = "/tmp/klangtruhe-" + std::to_string(::geteuid());
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  struct stat st{};
  if (::lstat(folder.c_str(), &st) != 0) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    if (::lstat(folder.c_str(), &st) != 0) return {};
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return {};
  if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return {};
  return folder;
}

HWND RegisterWindow(std::string_view className, std::string_view title, TWindowHandler handler) {
  const std::string folder = WindowFolder();
  if (folder.empty()) return 0;
  uint32_t n = ++gCounter & 0xFFFF;
  if (n == 0) n = ++gCounter & 0xFFFF;
  const HWND h = (uint64_t(::getpid()) << 16) | n;

  auto w = std::make_shared<LocalWindow>();
  w->Handle = h;
  w->Folder = folder;
  w->Handler = std::move(handler);
  w->Info.Pid = ::getpid();
  w->Info.Registered = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::system_clock::now().time_since_epoch()).count();
  w->Info.Class = WithoutNul(className);
  w->Info.Title = WithoutNul(title);

  const std::string path = SocketPath(folder, h);
  sockaddr_un addr;
  if (!SocketAddress(path, addr)) return 0;
  ::unlink(path.c_str());  // left by an earlier process of the same id
  w->ListenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (w->ListenFd < 0) return 0;
  if (::bind(w->ListenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(w->ListenFd, 64) != 0 ||
      !WriteInfo(folder, h, w->Info)) {
    ::close(w->ListenFd);
    ::unlink(path.c_str());
    return 0;
  }
  w->ListenNotifier = std::make_unique<QSocketNotifier>(w->ListenFd, QSocketNotifier::Read);
  std::weak_ptr<LocalWindow> weak = w;
  QObject::connect(w->ListenNotifier.get(), &QSocketNotifier::activated, [weak] {
    if (auto w = weak.lock()) AcceptClients(w);
  });
  {
    std::lock_guard<std::mutex> lock(gLocalMutex);
    gLocal[h] = w;
    if (!gPostRoutineAdded) {
      gPostRoutineAdded = true;
      qAddPostRoutine(UnregisterAllWindows);
    }
  }
  return h;
}

void UnregisterWindow(HWND window) {
  std::shared_ptr<LocalWindow> w;
  {
    std::lock_guard<std::mutex> lock(gLocalMutex);
    auto it = gLocal.find(window);
    if (it == gLocal.end()) return;
    w = it->second;
    gLocal.erase(it);
  }
  CloseLocalWindow(w);
}

void SetWindowTitle(HWND window, std::string_view title) {
  auto w = LocalWindowOf(window);
  if (!w || w->Gone) return;
  w->Info.Title = WithoutNul(title);
  WriteInfo(w->Folder, w->Handle, w->Info);
}

HWND FindWindow(std::string_view className, std::optional<std::string_view> title) {
  const std::string folder = WindowFolder();
  if (folder.empty()) return 0;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return 0;
  struct Candidate {
    HWND Handle;
    long long Registered;
  };
  std::vector<Candidate> candidates;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name.size() < 5 || name.substr(name.size() - 4) != ".win") continue;
    char* end = nullptr;
    const std::string digits(name.substr(0, name.size() - 4));
    const HWND h = std::strtoull(digits.c_str(), &end, 10);
    if (h == 0 || !end || *end != '\0') continue;
    WindowInfo info;
    if (!ReadInfo(folder + "/" + std::string(name), info)) continue;
    if (ClassAndTitleMatch(info, className, title)) candidates.push_back({h, info.Registered});
  }
  ::closedir(d);
  std::sort(candidates.begin(), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return a.Registered > b.Registered; });
  for (const Candidate& c : candidates)
    if (IsWindow(c.Handle)) return c.Handle;
  return 0;
}

bool IsWindow(HWND window) {
  if (window == 0) return false;
  if (auto w = LocalWindowOf(window)) return !w->Gone;
  const std::string folder = WindowFolder();
  if (folder.empty()) return false;
  int err;
  const int fd = Connect(SocketPath(folder, window), err);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (err == ECONNREFUSED || err == ENOENT) {
    // Its process is gone: clean the window away.
    ::unlink(SocketPath(folder, window).c_str());
    ::unlink(InfoPath(folder, window).c_str());
    ForgetConnections(window);
    return false;
  }
  return err == EAGAIN;  // alive, only too busy to take the connection now
}

int64_t SendMessage(HWND window, uint32_t msg, uint64_t wParam, int64_t lParam) {
  const RequestHeader h{kRequestMagic, msg, wParam, lParam, 0, 0, 0};
  return Send(window, h, {});
}

int64_t SendCopyData(HWND window, uint64_t tag, std::string_view bytes, uint64_t wParam) {
  if (bytes.size() > kMaxCopyData) return 0;
  const RequestHeader h{kRequestMagic, WM_COPYDATA, wParam, 0, tag, uint32_t(bytes.size()), kFlagCopyData};
  return Send(window, h, bytes);
}

std::vector<int64_t> SendMessages(HWND window, const std::vector<TRequest>& requests) {
  std::vector<int64_t> results(requests.size(), 0);
  if (window == 0 || requests.empty()) return results;
  auto header = [](const TRequest& q) { return RequestHeader{kRequestMagic, q.Msg, q.WParam, q.LParam, 0, 0, 0}; };
  if (auto w = LocalWindowOf(window)) {
    for (size_t i = 0; i < requests.size(); ++i) results[i] = CallLocal(*w, header(requests[i]), {});
    return results;
  }
  // In chunks that fit the socket buffers both ways: a sender still writing
  // must never wait for a window that waits for it to read.
  constexpr size_t kChunk = 1024;
  std::string frames;
  for (size_t from = 0; from < requests.size(); from += kChunk) {
    const size_t count = std::min(kChunk, requests.size() - from);
    frames.clear();
    for (size_t i = from; i < from + count; ++i) {
      const RequestHeader h = header(requests[i]);
      frames.append(reinterpret_cast<const char*>(&h), sizeof h);
    }
    if (!Transact(window, frames, count, results.data() + from)) break;
  }
  return results;
}

void SetSendTimeout(int milliseconds) { gSendTimeoutMs = milliseconds < 1 ? 1 : milliseconds; }
int SendTimeout() { return gSendTimeoutMs.load(); }

}  // namespace kt
