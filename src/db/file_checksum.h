// SHA-256 checksums of database copies, kept beside the copy in a file that
// `sha256sum -c` reads (COPY.sha256: the digest, two blanks, the copy's file name),
// so a shop can test its backups with the system's own tools as well.
#pragma once

#include <string>

namespace db {

//! Lower-case hex SHA-256 of the file's bytes. Throws std::runtime_error when unreadable.
std::string sha256OfFile(const std::string& path);

//! The name of the checksum file kept beside `path`.
std::string checksumFileOf(const std::string& path);

//! Writes `digest` into the checksum file beside `path` (replacing one there).
void writeChecksumFile(const std::string& path, const std::string& digest);

//! The digest recorded beside `path`, or "" when there is no readable checksum file.
std::string readChecksumFile(const std::string& path);

}  // namespace db
