#include "tests/support/CupsServer.h"

#include "tests/support/TempDir.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kt::test {
namespace {

namespace fs = std::filesystem;

const fs::path kCupsd = "/usr/sbin/cupsd";
const fs::path kLpadmin = "/usr/sbin/lpadmin";
const fs::path kLpstat = "/usr/bin/lpstat";

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool Answers(const std::string& socketPath) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

// A PDF printer: documents in PDF reach the device as they are.
std::string Ppd(const fs::path& filter) {
  return "*PPD-Adobe: \"4.3\"\n"
         "*FormatVersion: \"4.3\"\n"
         "*FileVersion: \"1.0\"\n"
         "*LanguageVersion: English\n"
         "*LanguageEncoding: ISOLatin1\n"
         "*PCFileName: \"TESTFILE.PPD\"\n"
         "*Manufacturer: \"Test\"\n"
         "*Product: \"(Test File Printer)\"\n"
         "*ModelName: \"Test File Printer\"\n"
         "*ShortNickName: \"Test File Printer\"\n"
         "*NickName: \"Test File Printer\"\n"
         "*PSVersion: \"(3010.000) 0\"\n"
         "*LanguageLevel: \"3\"\n"
         "*ColorDevice: False\n"
         "*DefaultColorSpace: Gray\n"
         "*FileSystem: False\n"
         "*Throughput: \"1\"\n"
         "*cupsFilter2: \"application/pdf application/vnd.cups-pdf 0 " + filter.string() + "\"\n"
         "*OpenUI *PageSize/Media Size: PickOne\n"
         "*OrderDependency: 10 AnySetup *PageSize\n"
         "*DefaultPageSize: A4\n"
         "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
         "*CloseUI: *PageSize\n"
         "*OpenUI *PageRegion: PickOne\n"
         "*OrderDependency: 10 AnySetup *PageRegion\n"
         "*DefaultPageRegion: A4\n"
         "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
         "*CloseUI: *PageRegion\n"
         "*DefaultImageableArea: A4\n"
         "*ImageableArea A4: \"18 18 577 824\"\n"
         "*DefaultPaperDimension: A4\n"
         "*PaperDimension A4: \"595 842\"\n";
}

}  // namespace

CupsServer::CupsServer(fs::path folder) : folder_(std::move(folder)), socket_(folder_ / "cups.sock") {
  if (socket_.string().size() >= sizeof(sockaddr_un{}.sun_path)) {
    std::string tmpl = "/tmp/kt-cups-XXXXXX";
    if (::mkdtemp(tmpl.data())) {
      shortFolder_ = tmpl;
      ::chmod(shortFolder_.c_str(), 0755);
      socket_ = shortFolder_ / "cups.sock";
    }
  }
  const fs::path etc = ServerRoot();
  for (const char* dir : {"etc", "spool/tmp", "cache", "state", "log"}) fs::create_directories(folder_ / dir);

  WriteBytes(etc / "cupsd.conf",
             "Listen " + Socket() + "\n"
             "LogLevel info\n"
             "PageLogFormat %j %{job-name}\n"
             "Browsing No\n"
             "WebInterface No\n"
             "DefaultAuthType None\n"
             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");

  std::string files = "ServerRoot " + etc.string() + "\n"
                      "RequestRoot " + (folder_ / "spool").string() + "\n"
                      "TempDir " + (folder_ / "spool/tmp").string() + "\n"
                      "CacheDir " + (folder_ / "cache").string() + "\n"
                      "StateDir " + (folder_ / "state").string() + "\n"
                      "Printcap " + (folder_ / "printcap").string() + "\n"
                      "ErrorLog " + (folder_ / "log/error_log").string() + "\n"
                      "AccessLog " + (folder_ / "log/access_log").string() + "\n"
                      "PageLog " + (folder_ / "log/page_log").string() + "\n"
                      "FileDevice Yes\n";
  if (::geteuid() == 0) {
    // cupsd run by root hands jobs to an unprivileged account, which must
    // reach the filter and the spool below this folder.
    const bool lp = ::getpwnam("lp") != nullptr;
    files += std::string("User ") + (lp ? "lp" : "nobody") + "\n";
    files += std::string("Group ") + (::getgrnam("lp") ? "lp" : "nogroup") + "\n";
    files += "SystemGroup root\n";
    ::chmod(folder_.c_str(), 0755);
  }
  WriteBytes(etc / "cups-files.conf", files);

  const fs::path filter = folder_ / "copy-filter";
  WriteBytes(filter, "#!/bin/sh\n# The document file is argument 6, else the standard input.\n"
                     "if [ -n \"$6\" ]; then exec cat \"$6\"; else exec cat; fi\n");
  ::chmod(filter.c_str(), 0755);
  WriteBytes(folder_ / "file-printer.ppd", Ppd(filter));
}

CupsServer::~CupsServer() {
  Stop();
  std::error_code ec;
  if (!shortFolder_.empty()) fs::remove_all(shortFolder_, ec);
}

bool CupsServer::Running() { return cupsd_.Running(); }

bool CupsServer::Start(std::string* why) {
  if (Running()) return true;
  for (const fs::path& tool : {kCupsd, kLpadmin, kLpstat}) {
    if (::access(tool.c_str(), X_OK) != 0) {
      *why = tool.string() + " is not installed (scripts/install-deps installs cups-daemon and cups-client)";
      return false;
    }
  }
  if (Socket().size() >= sizeof(sockaddr_un{}.sun_path)) {
    *why = "the socket path " + Socket() + " is too long";
    return false;
  }
  const std::string conf = ServerRoot() + "/cupsd.conf";
  const std::string files = ServerRoot() + "/cups-files.conf";
  cupsd_ = ChildProcess(kCupsd, {"-f", "-c", conf, "-s", files}, {{"CUPS_SERVERROOT", ServerRoot()}});
  if (WaitFor([&] { return !cupsd_.Running() || Answers(Socket()); }, std::chrono::seconds(20)) &&
      cupsd_.Running())
    return true;
  Stop();
  *why = "cupsd did not start: " + ReadBytes(folder_ / "log/error_log");
  return false;
}

void CupsServer::Stop() {
  if (!cupsd_.Running()) return;
  cupsd_.Signal(SIGTERM);
  if (!cupsd_.Wait(std::chrono::seconds(10))) cupsd_.Kill();
}

int CupsServer::Tool(const std::string& program, const std::string& args, std::string* output) const {
  const std::string command = "CUPS_SERVER=" + Quoted(Socket()) + " CUPS_SERVERROOT=" + Quoted(ServerRoot()) +
                              " " + program + " " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = ::pclose(pipe);
  if (output) *output = out;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool CupsServer::AddFileQueue(const std::string& name, const fs::path& file, bool asDefault, std::string* why) {
  std::string out;
  if (Tool(kLpadmin, "-p " + Quoted(name) + " -E -v " + Quoted("file://" + file.string()) + " -P " +
                         Quoted((folder_ / "file-printer.ppd").string()),
           &out) != 0 ||
      (asDefault && Tool(kLpadmin, "-d " + Quoted(name), &out) != 0)) {
    *why = "lpadmin: " + out;
    return false;
  }
  return true;
}

bool CupsServer::RemoveQueue(const std::string& name, std::string* why) {
  std::string out;
  if (Tool(kLpstat, "-p " + Quoted(name), nullptr) != 0) return true;  // no such queue
  if (Tool(kLpadmin, "-x " + Quoted(name), &out) == 0) return true;
  *why = "lpadmin: " + out;
  return false;
}

std::vector<CupsServer::Job> CupsServer::FinishedJobs() const {
  std::vector<Job> jobs;
  std::istringstream log(ReadBytes(folder_ / "log/page_log"));
  for (std::string line; std::getline(log, line);) {
    const size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    const Job job{std::atoi(line.substr(0, blank).c_str()), line.substr(blank + 1)};
    if (jobs.empty() || jobs.back().id != job.id) jobs.push_back(job);
  }
  return jobs;
}

bool CupsServer::WaitForFinishedJobs(size_t count, std::chrono::milliseconds timeout) {
  return WaitFor(
      [&] {
        std::string pending;
        return FinishedJobs().size() >= count && Tool(kLpstat, "-o", &pending) == 0 && pending.empty();
      },
      timeout);
}

}  // namespace kt::test
