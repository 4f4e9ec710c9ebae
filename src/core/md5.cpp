// MD5S with OpenSSL's EVP digest and iconv for the code-page step. Characters that
// the code page lacks turn into '?', the same replacement the desktop's own
// conversion makes, so a digest is always produced.
#include "core/md5.h"

#include <iconv.h>
#include <openssl/evp.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace core {
namespace {

std::mutex& codePageMutex() {
  static std::mutex m;
  return m;
}

std::string& codePageName() {
  static std::string name = "GBK";
  return name;
}

// Bytes of the one character at `s` to drop: a lead byte with the continuation
// bytes that really follow it, or a single stray byte.
std::size_t badCharacterLength(const char* s, std::size_t left) {
  const auto c = static_cast<unsigned char>(s[0]);
  std::size_t want = 0;
  if (c >= 0xC2 && c < 0xE0)
    want = 2;
  else if (c >= 0xE0 && c < 0xF0)
    want = 3;
  else if (c >= 0xF0 && c < 0xF5)
    want = 4;
  std::size_t n = 1;
  while (n < want && n < left && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
  return n;
}

}  // namespace

void setAnsiCodePage(std::string name) {
  std::lock_guard lock(codePageMutex());
  codePageName() = std::move(name);
}

std::string ansiCodePage() {
  std::lock_guard lock(codePageMutex());
  return codePageName();
}

std::string toAnsi(std::string_view utf8) {
  const std::string page = ansiCodePage();
  iconv_t cd = iconv_open(page.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("Code page \"" + page + "\" is not known to this system");
  }
  const std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
  std::string in(utf8);
  std::string out(in.size() * 2 + 8, '\0');
  char* src = in.data();
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {  // an 8-bit page never needs more than 2 bytes per input byte
      throw std::runtime_error("toAnsi: output buffer too small");
    }
    // EILSEQ / EINVAL: not representable or not valid UTF-8; replace one character.
    const std::size_t skip = badCharacterLength(src, srcLeft);
    src += skip;
    srcLeft -= skip;
    *dst++ = '?';
    --dstLeft;
  }
  out.resize(out.size() - dstLeft);
  return out;
}

std::string md5Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &len, EVP_md5(), nullptr) != 1) {
    throw std::runtime_error("MD5 digest is not available from OpenSSL");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < len; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0x0F];
  }
  return out;
}

std::string MD5S(std::string_view text) { return md5Hex(toAnsi(text)); }

}  // namespace core
