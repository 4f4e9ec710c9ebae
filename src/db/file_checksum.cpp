// The checksum file holds one line in sha256sum's text format; only the digest is read
// back, so a file renamed after the backup still checks against its own line.
#include "db/file_checksum.h"

#include <openssl/evp.h>

#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace db {

std::string sha256OfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
    throw std::runtime_error("SHA-256 is not available");
  std::array<char, 1 << 16> buffer{};
  while (in) {
    in.read(buffer.data(), buffer.size());
    if (in.gcount() > 0)
      EVP_DigestUpdate(ctx.get(), buffer.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_DigestFinal_ex(ctx.get(), digest.data(), &length);
  static const char* hex = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += hex[digest[i] >> 4];
    text += hex[digest[i] & 15];
  }
  return text;
}

std::string checksumFileOf(const std::string& path) { return path + ".sha256"; }

void writeChecksumFile(const std::string& path, const std::string& digest) {
  const std::string name = std::filesystem::path(path).filename().string();
  std::ofstream out(checksumFileOf(path), std::ios::binary | std::ios::trunc);
  out << digest << "  " << name << "\n";
  out.close();
  if (!out) throw std::runtime_error("cannot write " + checksumFileOf(path));
}

std::string readChecksumFile(const std::string& path) {
  std::ifstream in(checksumFileOf(path), std::ios::binary);
  std::string digest;
  if (!(in >> digest) || digest.size() != 64) return "";
  for (char& c : digest) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return "";
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return digest;
}

}  // namespace db
