// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <plist/plist.h>

#include <optional>

// Theme files the tests write for themselves.
namespace ThemeFixtures {

struct Rule
{
    QString scope;
    QString foreground;
};

// A property-list dictionary body (without <dict>) for a settings entry.
inline QString settingsEntry(const std::optional<QString> &scope, const QString &styleBody)
{
    QString entry = QStringLiteral("<dict>");
    if (scope)
        entry += QStringLiteral("<key>scope</key><string>") + scope->toHtmlEscaped()
            + QStringLiteral("</string>");
    return entry + QStringLiteral("<key>settings</key><dict>") + styleBody + QStringLiteral("</dict></dict>");
}

inline QString colourKey(const QString &key, const QString &colour)
{
    return QStringLiteral("<key>") + key + QStringLiteral("</key><string>") + colour.toHtmlEscaped()
        + QStringLiteral("</string>");
}

// An XML property list whose root dictionary holds `rootBody`.
inline QByteArray plistXml(const QString &rootBody)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                           "<plist version=\"1.0\"><dict>")
        + rootBody + QStringLiteral("</dict></plist>\n"))
        .toUtf8();
}

// A theme with a global entry first and then one entry per rule.
inline QByteArray themeXml(
    const QString &name, const QString &background, const QString &foreground, const QList<Rule> &rules = {})
{
    QString settings = settingsEntry(std::nullopt,
        colourKey(QStringLiteral("background"), background)
            + colourKey(QStringLiteral("foreground"), foreground));
    for (const Rule &rule : rules)
        settings += settingsEntry(rule.scope, colourKey(QStringLiteral("foreground"), rule.foreground));
    return plistXml(QStringLiteral("<key>name</key><string>") + name.toHtmlEscaped()
        + QStringLiteral("</string><key>settings</key><array>") + settings + QStringLiteral("</array>"));
}

// A root holding only a "settings" array of `elements`.
inline QByteArray settingsArray(const QString &elements)
{
    return plistXml(QStringLiteral("<key>settings</key><array>") + elements + QStringLiteral("</array>"));
}

// The style body of a global entry.
inline QString globalStyle(const QString &background = QStringLiteral("#FFFFFF"),
    const QString &foreground = QStringLiteral("#000000"))
{
    return colourKey(QStringLiteral("background"), background)
        + colourKey(QStringLiteral("foreground"), foreground);
}

// The same property list in the binary encoding, written by libplist.
inline QByteArray toBinary(const QByteArray &xml)
{
    plist_t root = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &root);
    if (!root)
        return {};
    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    const QByteArray binary(bytes, qsizetype(length));
    plist_to_bin_free(bytes);
    plist_free(root);
    return binary;
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace ThemeFixtures
