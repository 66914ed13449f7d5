#include "packages/spice_circuit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "base/macroman.h"

namespace orv::spice {

std::string circuitText(std::string_view text) {
  text = text.substr(0, text.find('@'));
  std::string lf;
  lf.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lf += '\n';
    } else {
      lf += text[i];
    }
  }
  if (lf.empty() || lf.back() != '\n') lf += '\n';
  return bytesToUtf8(lf);
}

std::string circuitPathOf(const std::string& worksheet) {
  std::size_t slash = worksheet.rfind('/');
  std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = worksheet.rfind('.');
  if (dot == std::string::npos || dot <= name) return worksheet + ".cir";
  return worksheet.substr(0, dot) + ".cir";
}

namespace {

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t k = ::write(fd, bytes.data(), bytes.size());
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(k));
  }
  return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  std::random_device seed;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = path + ".orvanel-" + std::to_string(seed() % 1000000000u) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  // A replaced file keeps its permissions.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
  bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

}  // namespace orv::spice
