// PasswordHasher: how an operator's password is kept — never the password itself, only
// a salted PBKDF2-HMAC-SHA256 digest in one text that carries its own parameters:
//   "pbkdf2-sha256$<iterations>$<salt, hex>$<digest, hex>"
// so a later, stronger count can be introduced without breaking the strings already kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

class PasswordHasher {
 public:
  //! The count every password the program keeps is hashed with.
  static constexpr int kIterations = 600000;
  //! Strings above this count are refused: a tampered string must not stall a sign-in.
  static constexpr int kMaxIterations = 10000000;
  //! Bytes of random salt per password and bytes of digest kept.
  static constexpr std::size_t kSaltBytes = 16;
  static constexpr std::size_t kDigestBytes = 32;

  //! The program's hasher: hashes with kIterations and accepts nothing below it.
  static PasswordHasher production();
  //! A hasher for tests only: hashes with `iterations` and accepts strings down to that
  //! count, so tests run the same format and checks without the production cost.
  static PasswordHasher forTests(int iterations);

  //! The encoded text of `password` with a fresh random salt. Throws
  //! std::runtime_error when the system has no random bytes to give.
  std::string hash(std::string_view password) const;
  //! True when `password` is the one `encoded` was made from. False for a wrong
  //! password and for any text that is not a well-formed string of an accepted count.
  //! The digests are compared in constant time.
  bool verify(std::string_view password, std::string_view encoded) const;

  //! PBKDF2-HMAC-SHA256 of the bytes as they are, `length` bytes long.
  static std::string derive(std::string_view password, std::string_view salt, int iterations,
                            std::size_t length);

  int iterations() const { return iterations_; }

 private:
  PasswordHasher(int iterations, int floor) : iterations_(iterations), floor_(floor) {}

  int iterations_;
  int floor_;  //!< the smallest count verify() accepts
};

}  // namespace core
