#pragma once
// The one way a message is filled: a whole sentence of resources/texts.h
// whose "%1" to "%9" take the parts that vary, in one pass, so that a path
// holding "%1" stays as it is.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zb {

// One part of a message: a text, or a number written in decimal.
class MessagePart {
public:
    MessagePart(std::string_view text) : text_(text) {}
    MessagePart(const char* text) : text_(text) {}
    MessagePart(const std::string& text) : text_(text) {}
    MessagePart(int number) : text_(std::to_string(number)) {}
    MessagePart(unsigned number) : text_(std::to_string(number)) {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

std::string fill(std::string_view sentence, std::initializer_list<MessagePart> parts);

// A character appended in UTF-8.
void appendUtf8(std::string& out, char32_t c);

// Eight lower-case hexadecimal digits, as failure codes are written.
std::string hex8(std::uint32_t code);

}  // namespace zb
