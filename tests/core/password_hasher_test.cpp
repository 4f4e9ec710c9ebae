// PasswordHasher: PBKDF2-HMAC-SHA256 against published vectors, the encoded string
// against a digest made outside this code, fresh salts, and every way a stored string
// can be wrong or tampered with — refused, never accepted.
#include "core/password_hasher.h"

#include <gtest/gtest.h>

#include <string>

namespace core {
namespace {

std::string hex(const std::string& bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
  return out;
}

TEST(PasswordHasher, DerivesThePublishedPbkdf2Sha256Vectors) {
  // RFC 7914, section 11.
  struct Vector {
    const char* password;
    const char* salt;
    int iterations;
    const char* digest;
  };
  for (const Vector& v :
       {Vector{"passwd", "salt", 1,
               "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc49ca9cccf179b645"
               "991664b39d77ef317c71b845b1e30bd509112041d3a19783"},
        Vector{"Password", "NaCl", 80000,
               "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56a1d425a122583354"
               "9adb841b51c9b3176a272bdebba1d078478f62b397f33c8d"}})
    EXPECT_EQ(hex(PasswordHasher::derive(v.password, v.salt, v.iterations, 64)), v.digest)
        << v.password;
}

// python3 -c "import hashlib; print(hashlib.pbkdf2_hmac('sha256', '店主密码'.encode(),
//   bytes.fromhex('000102030405060708090a0b0c0d0e0f'), 1000, 32).hex())"
constexpr const char* kOutsideString =
    "pbkdf2-sha256$1000$000102030405060708090a0b0c0d0e0f$"
    "def08ccb3799199c55c36855267c2553bf36145b5a51acdbf8cc531d4bf79485";

TEST(PasswordHasher, VerifiesAStringMadeElsewhereAndRefusesAWrongPassword) {
  const PasswordHasher hasher = PasswordHasher::forTests(1000);
  EXPECT_TRUE(hasher.verify("店主密码", kOutsideString));
  for (const char* wrong : {"店主密", "店主密码 ", "", "店主密码店主密码"})
    EXPECT_FALSE(hasher.verify(wrong, kOutsideString)) << wrong;
}

TEST(PasswordHasher, EachHashHasItsOwnSaltAndCarriesItsCount) {
  const PasswordHasher hasher = PasswordHasher::forTests(1000);
  const std::string a = hasher.hash("123456");
  const std::string b = hasher.hash("123456");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind("pbkdf2-sha256$1000$", 0), 0u) << a;
  EXPECT_EQ(a.size(), std::string("pbkdf2-sha256$1000$$").size() + 2 * 16 + 2 * 32);
  EXPECT_EQ(a.find("123456"), std::string::npos);
  EXPECT_TRUE(hasher.verify("123456", a));
  EXPECT_TRUE(hasher.verify("123456", b));
}

TEST(PasswordHasher, RefusesEveryTamperedOrMalformedString) {
  const PasswordHasher hasher = PasswordHasher::forTests(1000);
  const std::string good = kOutsideString;
  const std::size_t salt = good.find('$', 15) + 1;  // first salt digit
  auto with = [&](std::size_t at, char c) {
    std::string s = good;
    s[at] = c;
    return s;
  };
  struct Case {
    const char* what;
    std::string text;
  };
  for (const Case& c : {
           Case{"digest digit changed", with(good.size() - 1, '4')},
           Case{"salt digit changed", with(salt, '1')},
           Case{"count changed", "pbkdf2-sha256$1001" + good.substr(good.find("$", 14))},
           Case{"count below the hasher's floor",
                "pbkdf2-sha256$999" + good.substr(good.find("$", 14))},
           Case{"count above the ceiling",
                "pbkdf2-sha256$99999999" + good.substr(good.find("$", 14))},
           Case{"count spelt with a leading zero",
                "pbkdf2-sha256$01000" + good.substr(good.find("$", 14))},
           Case{"count not a number", "pbkdf2-sha256$1e3" + good.substr(good.find("$", 14))},
           Case{"upper-case hex", with(salt + 21, 'A')},
           Case{"digest cut short", good.substr(0, good.size() - 2)},
           Case{"salt too short", "pbkdf2-sha256$1000$0001$" + good.substr(good.rfind('$') + 1)},
           Case{"another scheme", "pbkdf2-sha1" + good.substr(13)},
           Case{"a part too many", good + "$00"},
           Case{"the password itself", "店主密码"},
           Case{"empty", ""},
       })
    EXPECT_FALSE(hasher.verify("店主密码", c.text)) << c.what << ": " << c.text;
}

TEST(PasswordHasher, TheProgramHashesSlowlyAndRefusesCheaperStrings) {
  const PasswordHasher program = PasswordHasher::production();
  EXPECT_GE(program.iterations(), 600000);
  const std::string kept = program.hash("123456");
  EXPECT_EQ(kept.rfind("pbkdf2-sha256$600000$", 0), 0u) << kept;
  EXPECT_TRUE(program.verify("123456", kept));
  // A right password in a string a test hasher made is still refused by the program.
  EXPECT_FALSE(program.verify("店主密码", kOutsideString));
  EXPECT_THROW(PasswordHasher::forTests(0), std::invalid_argument);
}

}  // namespace
}  // namespace core
