// PasswordHasher with OpenSSL's PKCS5_PBKDF2_HMAC, RAND_bytes and CRYPTO_memcmp.
//
// Why verify() has a floor: the count is read from the stored string, so the string
// alone decides how expensive a guess is. Without a floor, a string written with a
// cheap count (by a test fixture whose database later serves a shop, by an old tool,
// or by someone with write access to the table) would be accepted forever and make
// that operator's password a fast hash to whoever copies the database. The program's
// hasher therefore refuses every string below the count it hashes with itself. Tests
// need many hashes and cannot spend 0.2 s on each, so forTests() builds a hasher with
// a low count whose floor is that same count: the tests go through the very same
// format, parser and comparison, and the production floor stays out of reach of any
// data — it can only be lowered by code that asks for a test hasher by name.
#include "core/password_hasher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <stdexcept>
#include <vector>

#include "core/strings.h"

namespace core {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";

std::string toHex(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 0x0F];
  }
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;  // upper case is not what hash() writes: refused like any other change
}

// The bytes of lower-case hex text; false when it is not exactly that.
bool fromHex(std::string_view hex, std::string& out) {
  if (hex.empty() || hex.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexDigit(hex[i]);
    const int low = hexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
  }
  return true;
}

// The parts of an encoded string; false when any part is malformed.
struct Encoded {
  int iterations = 0;
  std::string salt;
  std::string digest;
};

bool parse(std::string_view text, Encoded& out) {
  const std::vector<std::string> parts = split(text, "$");
  if (parts.size() != 4 || parts[0] != kScheme) return false;
  const std::string& count = parts[1];
  if (count.empty() || count[0] == '0') return false;  // one spelling per count
  const auto [end, error] =
      std::from_chars(count.data(), count.data() + count.size(), out.iterations);
  if (error != std::errc() || end != count.data() + count.size()) return false;
  return fromHex(parts[2], out.salt) && fromHex(parts[3], out.digest);
}

}  // namespace

PasswordHasher PasswordHasher::production() { return PasswordHasher(kIterations, kIterations); }

PasswordHasher PasswordHasher::forTests(int iterations) {
  if (iterations < 1 || iterations > kMaxIterations)
    throw std::invalid_argument("PasswordHasher: iteration count out of range");
  return PasswordHasher(iterations, iterations);
}

std::string PasswordHasher::derive(std::string_view password, std::string_view salt, int iterations,
                                   std::size_t length) {
  std::string out(length, '\0');
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                        reinterpret_cast<const unsigned char*>(salt.data()),
                        static_cast<int>(salt.size()), iterations, EVP_sha256(),
                        static_cast<int>(length),
                        reinterpret_cast<unsigned char*>(out.data())) != 1)
    throw std::runtime_error("PBKDF2 failed");
  return out;
}

std::string PasswordHasher::hash(std::string_view password) const {
  std::string salt(kSaltBytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), static_cast<int>(salt.size())) != 1)
    throw std::runtime_error("系统无法生成随机数");
  const std::string digest = derive(password, salt, iterations_, kDigestBytes);
  return std::string(kScheme) + "$" + std::to_string(iterations_) + "$" + toHex(salt) + "$" +
         toHex(digest);
}

bool PasswordHasher::verify(std::string_view password, std::string_view encoded) const {
  Encoded e;
  if (!parse(encoded, e)) return false;
  if (e.iterations < floor_ || e.iterations > kMaxIterations) return false;
  if (e.salt.size() < kSaltBytes || e.digest.size() != kDigestBytes) return false;
  const std::string digest = derive(password, e.salt, e.iterations, e.digest.size());
  return CRYPTO_memcmp(digest.data(), e.digest.data(), digest.size()) == 0;
}

}  // namespace core
