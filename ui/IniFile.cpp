#include "IniFile.h"

#include <QFile>
#include <QSaveFile>

#include <vector>

namespace velquist::ui {

namespace {

// One line of the text: where it starts, its content without the line end, and
// where the next line starts.
struct TIniLine {
    qsizetype Start = 0;
    QStringView Content;
    qsizetype Next = 0;
};

std::vector<TIniLine> SplitIniLines(QStringView ini) {
    std::vector<TIniLine> lines;
    for (qsizetype start = 0; start < ini.size();) {
        qsizetype end = ini.indexOf(u'\n', start);
        const qsizetype next = end < 0 ? ini.size() : end + 1;
        end = end < 0 ? ini.size() : end;
        if (end > start && ini[end - 1] == u'\r') {
            --end;
        }
        lines.push_back({start, ini.mid(start, end - start), next});
        start = next;
    }
    return lines;
}

// The name of a section line ("[Name]"), nothing for any other line.
std::optional<QStringView> SectionName(QStringView line) {
    const QStringView trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(u']');
    if (!trimmed.startsWith(u'[') || close < 0) {
        return std::nullopt;
    }
    return trimmed.mid(1, close - 1).trimmed();
}

// Whether a line is "key=value" for the key, with the value where `value` says.
bool IsKeyLine(QStringView line, QStringView key, QStringView* value = nullptr) {
    if (line.trimmed().startsWith(u';')) {
        return false;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0 || line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0) {
        return false;
    }
    if (value != nullptr) {
        *value = line.mid(equals + 1).trimmed();
    }
    return true;
}

bool IsSection(QStringView line, QStringView section) {
    const auto name = SectionName(line);
    return name && name->compare(section, Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<QString> IniValue(QStringView ini, QStringView section, QStringView key) {
    bool inSection = false;
    bool sectionSeen = false;
    for (const TIniLine& line : SplitIniLines(ini)) {
        if (SectionName(line.Content)) {
            if (sectionSeen) {
                break; // past the first section of the name
            }
            inSection = sectionSeen = IsSection(line.Content, section);
        } else if (QStringView value; inSection && IsKeyLine(line.Content, key, &value)) {
            return value.toString();
        }
    }
    return std::nullopt;
}

QString WithIniValue(QStringView ini, QStringView section, QStringView key, QStringView value) {
    const std::vector<TIniLine> lines = SplitIniLines(ini);
    const QString lineEnd = ini.contains(u"\r\n") ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString keyLine = key.toString();
    keyLine += u'=';
    keyLine += value;
    // The text with `replaced` characters from `at` replaced by `inserted`.
    const auto spliced = [ini](qsizetype at, qsizetype replaced, QStringView inserted) {
        QString text = ini.left(at).toString();
        text += inserted;
        text += ini.mid(at + replaced);
        return text;
    };

    // Find the key in the first section of the name, or the end of the section's
    // last line that is not empty.
    std::optional<qsizetype> sectionEnd;
    for (const TIniLine& line : lines) {
        if (SectionName(line.Content)) {
            if (sectionEnd) {
                break;
            }
            if (IsSection(line.Content, section)) {
                sectionEnd = line.Start + line.Content.size();
            }
        } else if (sectionEnd && IsKeyLine(line.Content, key)) {
            return spliced(line.Start, line.Content.size(), keyLine);
        } else if (sectionEnd && !line.Content.trimmed().isEmpty()) {
            sectionEnd = line.Start + line.Content.size();
        }
    }
    if (sectionEnd) {
        return spliced(*sectionEnd, 0, lineEnd + keyLine);
    }
    QString added = ini.toString();
    if (!added.isEmpty() && !added.endsWith(u'\n')) {
        added += lineEnd;
    }
    added += u'[';
    added += section;
    added += u']' + lineEnd + keyLine + lineEnd;
    return added;
}

namespace {

QString ReadLatin1(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

} // namespace

std::optional<QString> ReadIniValue(const QString& path, QStringView section, QStringView key) {
    return IniValue(ReadLatin1(path), section, key);
}

bool WriteIniValue(const QString& path, QStringView section, QStringView key, QStringView value) {
    const QByteArray content = WithIniValue(ReadLatin1(path), section, key, value).toLatin1();
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.commit();
}

} // namespace velquist::ui
