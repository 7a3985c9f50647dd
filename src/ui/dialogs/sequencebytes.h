// How the Info dialog's sequence box shows a sequence file's bytes and gives them back:
// valid UTF-8 as text, every other byte as a stand-in character that is written back as that
// byte, so a file goes through the box unchanged.
#pragma once

#include <QString>
#include <string>

namespace veltra {

QString BoxFromBytes(const std::string& bytes);
std::string BytesFromBox(const QString& text);

} // namespace veltra
