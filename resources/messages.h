// The English message texts by string id, from resources/messages.inc.
#pragma once

namespace gc {

// Shown when a string cannot be loaded.
inline constexpr const char kResourceLoadFailure[] =
    "\xE3\x83\xAA\xE3\x82\xBD\xE3\x83\xBC\xE3\x82\xB9\xE3\x81\x8C\xE3\x83\xAD\xE3\x83\xBC\xE3\x83"
    "\x89\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\xE3\x80\x82";  // UTF-8

// The text of string `id`, or nullptr when the table has none.
const char* MessageText(int id);

}  // namespace gc
