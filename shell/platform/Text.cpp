#include "shell/platform/PlatformInternal.h"

// Windows-1252: Latin-1 except for 0x80-0x9F, which hold typographic marks.
// Bytes that the code page leaves undefined map to the C1 control of the same
// value, so a round trip never loses a byte.
namespace {
const char16_t kHighPage[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
} // namespace

QString ToQString(const std::string& text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text) {
        if (c >= 0x80 && c < 0xA0)
            out.append(QChar(kHighPage[c - 0x80]));
        else
            out.append(QChar(c));
    }
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar qc : text) {
        char16_t u = qc.unicode();
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i) {
            if (kHighPage[i] == u) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.push_back(mapped);
    }
    return out;
}

std::string ConsoleText(const std::string& text) {
    return ToQString(text).toUtf8().toStdString();
}

std::string FromConsoleText(const std::string& text) {
    return FromQString(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}
