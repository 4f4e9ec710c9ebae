// MD5S: the MD5 digest of a text as the member-card passwords are stored: the
// UTF-8 text is first converted to the system's 8-bit code page (GBK unless set
// otherwise), then hashed; the digest is 32 lower-case hex digits.
#pragma once

#include <string>
#include <string_view>

namespace core {

//! Lower-case hex MD5 of `text` converted from UTF-8 to the 8-bit code page.
std::string MD5S(std::string_view text);

//! Lower-case hex MD5 of the bytes as they are.
std::string md5Hex(std::string_view bytes);

//! Converts UTF-8 to the 8-bit code page; characters it cannot hold become '?'.
//! Throws std::runtime_error when the code page is unknown to iconv.
std::string toAnsi(std::string_view utf8);

//! Sets the 8-bit code page by its iconv name ("GBK", "CP936", "CP1252"...).
void setAnsiCodePage(std::string name);
//! The current 8-bit code page name.
std::string ansiCodePage();

}  // namespace core
