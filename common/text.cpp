#include "common/text.h"

std::string_view TrimBlanks(std::string_view text, std::string_view blanks) {
    const size_t begin = text.find_first_not_of(blanks);
    if (begin == std::string_view::npos) {
        return text.substr(text.size());
    }
    const size_t end = text.find_last_not_of(blanks);
    return text.substr(begin, end - begin + 1);
}
