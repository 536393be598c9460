#include "tests/common/temp_dir.h"

#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

namespace quillon {

namespace fs = std::filesystem;

namespace {

// Gives the owner every permission on `dir` and the directories below it, so that a tree a
// test left unreadable or unwritable can be removed.
void OpenUp(const fs::path& dir) {
  std::error_code ec;
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->symlink_status(ec).type() == fs::file_type::directory) OpenUp(it->path());
  }
}

}  // namespace

TempDir::TempDir(std::string_view prefix) {
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  if (ec) return;
  // create_directory fails when the name exists, so a name is never shared, also with
  // another process; a few retries outlast any collision.
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name(prefix);
    for (int i = 0; i < 6; ++i) name.push_back(kLetters[pick(random)]);
    const fs::path dir = base / name;
    if (!fs::create_directory(dir, ec)) {
      if (ec) return;
      continue;
    }
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace, ec);
    path_ = dir.string();
    return;
  }
}

TempDir::~TempDir() { Remove(); }

TempDir::TempDir(TempDir&& other) noexcept : path_(std::exchange(other.path_, std::string())) {}

TempDir& TempDir::operator=(TempDir&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::exchange(other.path_, std::string());
  }
  return *this;
}

std::string TempDir::File(std::string_view name) const { return path_ + "/" + std::string(name); }

void TempDir::Remove() {
  if (path_.empty()) return;
  std::error_code ec;
  if (fs::remove_all(path_, ec) == static_cast<std::uintmax_t>(-1)) {
    OpenUp(path_);
    fs::remove_all(path_, ec);
  }
  path_.clear();
}

}  // namespace quillon
