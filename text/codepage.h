#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace k10 {

// The system's text is single-byte Windows-1251; the catalog files and the DOS files are in the DOS code
// page 866. A character that the target page lacks becomes its nearest plain form or '?'.
std::string cp866ToCp1251(std::string_view text);
std::string cp1251ToCp866(std::string_view text);

char32_t cp1251ToUnicode(unsigned char byte);
char32_t cp866ToUnicode(unsigned char byte);
// The byte of a code point in the code page, or -1 when the page cannot hold it.
int unicodeToCp1251(char32_t code);
int unicodeToCp866(char32_t code);

std::string cp1251ToUtf8(std::string_view text);
// Empty when the text is not valid UTF-8 or holds a character that Windows-1251 cannot hold.
std::optional<std::string> utf8ToCp1251(std::string_view text);

} // namespace k10
