// The English message texts by string id, from resources/messages.inc.
#pragma once
#include <string>

namespace gc {

// Every string of the table by name: kMsgUnsupportedFont is 158.
enum MessageId : int {
#define GC_MESSAGE(id, name, text) kMsg##name = id,
#include "resources/messages.inc"
#undef GC_MESSAGE
};

// Shown when a string cannot be loaded.
inline constexpr const char kResourceLoadFailure[] =
    "\xE3\x83\xAA\xE3\x82\xBD\xE3\x83\xBC\xE3\x82\xB9\xE3\x81\x8C\xE3\x83\xAD\xE3\x83\xBC\xE3\x83"
    "\x89\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\xE3\x80\x82";  // UTF-8

// The text of string `id` (UTF-8), or nullptr when it cannot be loaded. By
// default the built-in English table; the Win32 program points it at the
// string table of its resource library.
const char* MessageText(int id);

// String `id` with numbers put in: "%1" to "%3" take numbers[0..2] where they
// stand, each "%d" takes the next number in turn, "%%" is one "%", and any other
// "%" stays as it is, so a text from a resource library can never make the
// formatting read what it was not given. False (and `text` untouched) when the
// string cannot be loaded.
bool FormatMessageText(int id, const int (&numbers)[3], std::string* text);

// The built-in English table alone.
const char* BuiltinMessageText(int id);

// Replaces the source of MessageText; null restores the built-in table. Set it
// before other threads start: the pointer is not guarded.
using MessageSource = const char* (*)(int id);
void SetMessageSource(MessageSource source);

}  // namespace gc
