// How the import library's OBJ and material-library readers split their
// text, which the screening before them must split the same way: a carriage
// return, form feed or NUL ends a line as a newline does, and blanks are
// spaces and tabs only.
#pragma once

#include <string_view>

inline bool endsLine(char c)
{
    return c == '\n' || c == '\r' || c == '\f' || c == '\0';
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// `text` without the blanks that end it, as the readers take a name.
inline std::string_view trimmedRight(std::string_view text)
{
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}
