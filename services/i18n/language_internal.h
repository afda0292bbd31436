// Steps of language detection, visible to the tests: Windows under test returns only one preferred
// language, so the multi-string handling cannot be reached through the real call.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pm::detail {

// The tags of a list of zero-terminated strings in a buffer of length units. An empty string ends
// the list; a string that runs to the end of the buffer without its zero is dropped.
// Each tag is narrowed unit by unit; a tag with a unit above 127 becomes an empty text.
std::vector<std::string> splitLanguageTags(const wchar_t* buffer, std::size_t length);

// text narrowed unit by unit, or an empty text when any unit is above 127.
std::string narrowAsciiTag(const wchar_t* text, std::size_t length);

// The first tag that normalizes to a supported code, as that code, or an empty string.
std::string firstSupportedLanguage(const std::vector<std::string>& tags);

// The language detection settles on: the first supported preferred tag, else the default interface
// language's tag when supported, else "en". Windows under test reports the same single tag for both,
// so the order between them is only visible through this step.
std::string chooseUiLanguage(const std::vector<std::string>& preferredTags, const std::string& defaultTag);

}  // namespace pm::detail
