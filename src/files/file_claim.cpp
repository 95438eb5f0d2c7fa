#include "files/file_claim.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

namespace simplex_weights::detail {
namespace {

constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kSuffixLength = 6;
// The longest file name the file systems take.
constexpr std::size_t kNameMax = 255;
// Names tried before giving up; another process would have to guess them all in time.
constexpr int kCreateAttempts = 64;

bool names_file(const std::string& path, int fd) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

std::string random_suffix() {
  unsigned char bytes[kSuffixLength];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy yet (early boot): the process and the clock still differ from run to run.
    unsigned long long mix = static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ULL ^
                             static_cast<unsigned long long>(std::time(nullptr)) ^
                             static_cast<unsigned long long>(std::clock());
    for (unsigned char& byte : bytes) {
      mix = mix * 6364136223846793005ULL + 1442695040888963407ULL;
      byte = static_cast<unsigned char>(mix >> 56);
    }
  }
  std::string suffix(kSuffixLength, 'x');
  for (std::size_t i = 0; i < kSuffixLength; ++i) {
    suffix[i] = kSuffixLetters[bytes[i] % (sizeof kSuffixLetters - 1)];
  }
  return suffix;
}

// What a killed run of this user left under a hidden name of the family: a regular file whose
// lock nobody holds. Removed without waiting; anything else (another user's, a live run's file,
// a file whose lock call fails, a link, a FIFO, a directory) is left alone.
void remove_if_abandoned(const std::string& path) {
  struct stat named {};
  if (::lstat(path.c_str(), &named) != 0 || named.st_uid != ::geteuid() ||
      !S_ISREG(named.st_mode)) {
    return;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  if (names_file(path, fd) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
  ::close(fd);
}

void remove_abandoned_files(const std::string& family) {
  const std::string directory = directory_of(family);
  const std::string family_name = file_part_of(family);
  DIR* listing = ::opendir(directory.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (in_hidden_family(name, family_name)) remove_if_abandoned(directory + "/" + name);
  }
  ::closedir(listing);
}

}  // namespace

FileSystem& plain_file_system() {
  // Stateless: every caller and thread may share it.
  static FileSystem files;
  return files;
}

std::string hidden_prefix(const std::string& family_name) {
  const std::size_t marker = std::char_traits<char>::length(kHiddenMarker);
  const std::size_t room = kNameMax - marker - kSuffixLength;
  return family_name.substr(0, room) + kHiddenMarker;
}

bool in_hidden_family(const std::string& name, const std::string& family_name) {
  const std::string prefix = hidden_prefix(family_name);
  if (name.size() != prefix.size() + kSuffixLength || name.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return true;
}

FileClaim::~FileClaim() {
  if (fd_ < 0) return;
  {
    SignalsWaiting waiting(files_);
    if (names_file(path_, fd_)) files_.unlink(path_);
    files_.forget_on_signal(signal_slot_);
  }
  release();
}

bool FileClaim::claim(const std::string& family) {
  remove_abandoned_files(family);
  const std::size_t slash = family.rfind('/');
  const std::string directory_prefix =
      slash == std::string::npos ? "" : family.substr(0, slash + 1);
  const std::string family_name = file_part_of(family);
  int error = EEXIST;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    SignalsWaiting waiting(files_);
    const std::string path = directory_prefix + hidden_prefix(family_name) + random_suffix();
    const int fd = files_.create_exclusive(path);
    if (fd < 0) {
      error = errno;
      if (error == EEXIST) continue;
      break;
    }
    // The lock is never waited for. Where another process got to the new file first, or the
    // file's name was taken away before the lock, the name is abandoned for another one; where
    // the file system has no locks (ENOLCK), the run goes on without one: no other run then
    // takes the file for abandoned, since that needs its lock.
    const bool locked = files_.lock(fd) == 0;
    const bool held_elsewhere = !locked && (errno == EWOULDBLOCK || errno == EINTR);
    if (held_elsewhere || !names_file(path, fd)) {
      if (names_file(path, fd)) files_.unlink(path);
      files_.close(fd);
      continue;
    }
    path_ = path;
    fd_ = fd;
    signal_slot_ = files_.remove_on_signal(path);
    return true;
  }
  errno = error;
  return false;
}

int FileClaim::publish_as(const std::string& final_path) {
  {
    SignalsWaiting waiting(files_);
    // Only this run's own file is ever published under the weight file's name.
    if (!names_file(path_, fd_)) return ENOENT;
    if (files_.rename(path_, final_path) != 0) return errno;
    files_.forget_on_signal(signal_slot_);
  }
  release();
  return 0;
}

void FileClaim::release() {
  files_.close(fd_);  // closing releases the lock
  fd_ = -1;
  signal_slot_ = -1;
}

}  // namespace simplex_weights::detail
