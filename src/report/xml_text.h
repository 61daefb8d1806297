#pragma once
// Text functions of the report: tags, escaping, leaf elements. Byte strings
// in windows-1251.
#include <string>

namespace lmr {

// An element name as written: valid XML names pass unchanged; any other byte
// becomes '_', and a name that cannot start a name (digit, '-', '.') gets a
// leading '_'. Names are built from outside data (database names, the
// program file's name), and one bad name must not make the whole report
// unreadable.
std::string XmlName(const std::string& name);

// Empty for an empty name; "<name>" or "</name>".
std::string XMLTag(bool closing, const std::string& name);

// "&" -> "&#0038;", "<" -> "&lt;", ">" -> "&gt;", "\" -> "&#0092;", then two
// blanks -> one, each a single left-to-right pass. Control bytes other than
// TAB, LF and CR, and the unassigned byte 0x98, are not allowed in XML text at
// all; they become '?' so the report stays well-formed.
std::string XMLEscape(const std::string& text);

// XMLTag(false) + XMLEscape(value) + XMLTag(true), with CR LF when lineBreak.
std::string XMLElement(const std::string& value, const std::string& name, bool lineBreak);

}  // namespace lmr
