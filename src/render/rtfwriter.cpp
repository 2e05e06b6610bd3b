// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/rtfwriter.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextTable>

#include <cmath>

namespace Lectorin::RtfWriter {
namespace {

// The layout works in pixels at 96 dpi; RTF in twips (1/1440 in) and half-points.
constexpr double kTwipsPerPixel = 15.0;
constexpr double kPointsPerPixel = 0.75;
// Tab stops for the three-cell page header and footer rows, on a 6.5-inch text width.
constexpr int kCentreTabTwips = 4680;
constexpr int kRightTabTwips = 9360;

struct RtfFont
{
    QString name;
    QByteArray family;
    bool fixedPitch = false;

    bool operator==(const RtfFont &) const = default;
};

// The first family decides; the style sheet's generic names and platform aliases are mapped to fonts every
// word processor knows.
RtfFont rtfFont(const QStringList &families)
{
    static const QSet<QString> monospace { QStringLiteral("monospace"), QStringLiteral("ui-monospace"),
        QStringLiteral("SF Mono"), QStringLiteral("Menlo"), QStringLiteral("Monaco") };
    static const QSet<QString> serif { QStringLiteral("serif"), QStringLiteral("ui-serif") };
    static const QSet<QString> sansSerif { QStringLiteral("sans-serif"), QStringLiteral("system-ui"),
        QStringLiteral("-apple-system"), QStringLiteral("ui-sans-serif"),
        QStringLiteral("BlinkMacSystemFont") };
    const QString first = families.isEmpty() ? QStringLiteral("sans-serif") : families.constFirst().trimmed();
    if (monospace.contains(first))
        return { QStringLiteral("Courier New"), "modern", true };
    if (serif.contains(first))
        return { QStringLiteral("Times New Roman"), "roman", false };
    if (sansSerif.contains(first) || first.isEmpty())
        return { QStringLiteral("Arial"), "swiss", false };
    return { first, "nil", false };
}

QStringList fontFamilies(const QTextCharFormat &format)
{
    const QVariant families = format.fontFamilies();
    if (families.isValid())
        return families.toStringList();
    return QStringList();
}

class Writer
{
public:
    explicit Writer(const QTextDocument &document)
        : m_document(document)
        , m_defaultHalfPoints(halfPoints(document.defaultFont(), 24))
    { }

    QByteArray write()
    {
        fontIndex(rtfFont(QStringList()));
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
            writeBlock(block);
        m_body += "\\par\n}";
        return header() + m_body;
    }

private:
    static int halfPoints(const QFont &font, int fallback)
    {
        if (font.pixelSize() > 0)
            return int(std::lround(font.pixelSize() * kPointsPerPixel * 2));
        if (font.pointSizeF() > 0)
            return int(std::lround(font.pointSizeF() * 2));
        return fallback;
    }

    static QByteArray twips(double pixels) { return QByteArray::number(qRound(pixels * kTwipsPerPixel)); }

    int fontIndex(const RtfFont &font)
    {
        const qsizetype index = m_fonts.indexOf(font);
        if (index >= 0)
            return int(index);
        m_fonts.append(font);
        return int(m_fonts.size() - 1);
    }

    // Index 0 of the colour table is the reader's automatic colour.
    int colourIndex(const QColor &colour)
    {
        const QRgb rgb = colour.rgb();
        const qsizetype index = m_colours.indexOf(rgb);
        if (index >= 0)
            return int(index + 1);
        m_colours.append(rgb);
        return int(m_colours.size());
    }

    void writeBlock(const QTextBlock &block)
    {
        const QTextCursor cursor(block);
        const QTextTable *table = cursor.currentTable();
        if (table) {
            const QTextTableCell cell = table->cellAt(cursor);
            // Further cells of a row continue its paragraph after a tab, like a header line.
            if (cell.column() > 0 && cell.firstCursorPosition().block() == block) {
                m_body += "\\tab ";
                writeFragments(block);
                return;
            }
        }
        if (!m_firstParagraph)
            m_body += "\\par\n";
        m_firstParagraph = false;
        writeParagraphFormat(block.blockFormat(), table);
        writeFragments(block);
    }

    void writeParagraphFormat(const QTextBlockFormat &format, const QTextTable *table)
    {
        m_body += "\\pard\\plain";
        const Qt::Alignment horizontal = format.alignment() & Qt::AlignHorizontal_Mask;
        if (horizontal & Qt::AlignHCenter)
            m_body += "\\qc";
        else if (horizontal & Qt::AlignRight)
            m_body += "\\qr";
        else if (horizontal & Qt::AlignJustify)
            m_body += "\\qj";
        const double left = format.leftMargin() + format.indent() * m_document.indentWidth();
        if (left > 0)
            m_body += "\\li" + twips(left);
        if (format.rightMargin() > 0)
            m_body += "\\ri" + twips(format.rightMargin());
        if (format.textIndent() != 0)
            m_body += "\\fi" + twips(format.textIndent());
        if (format.topMargin() > 0)
            m_body += "\\sb" + twips(format.topMargin());
        if (format.bottomMargin() > 0)
            m_body += "\\sa" + twips(format.bottomMargin());
        if (table && table->columns() == 3)
            m_body += "\\tqc\\tx" + QByteArray::number(kCentreTabTwips) + "\\tqr\\tx"
                + QByteArray::number(kRightTabTwips);
        m_body += "\\f0\\fs" + QByteArray::number(m_defaultHalfPoints) + ' ';
    }

    void writeFragments(const QTextBlock &block)
    {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                writeFragment(fragment);
        }
    }

    void writeFragment(const QTextFragment &fragment)
    {
        const QTextCharFormat format = fragment.charFormat();
        const QFont font = format.font();
        m_body += "{\\f" + QByteArray::number(fontIndex(rtfFont(fontFamilies(format)))) + "\\fs"
            + QByteArray::number(halfPoints(font, m_defaultHalfPoints));
        if (format.fontWeight() >= QFont::DemiBold)
            m_body += "\\b";
        if (format.fontItalic())
            m_body += "\\i";
        if (format.fontUnderline())
            m_body += "\\ul";
        if (format.fontStrikeOut())
            m_body += "\\strike";
        if (format.foreground().style() != Qt::NoBrush)
            m_body += "\\cf" + QByteArray::number(colourIndex(format.foreground().color()));
        // A text background (a highlight): Word reads \highlight, others the character shading.
        if (format.background().style() != Qt::NoBrush) {
            const QByteArray index = QByteArray::number(colourIndex(format.background().color()));
            m_body += "\\highlight" + index + "\\chcbpat" + index;
        }
        m_body += ' ' + escapeText(fragment.text()) + '}';
    }

    QByteArray header() const
    {
        QByteArray header = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (qsizetype index = 0; index < m_fonts.size(); ++index) {
            const RtfFont &font = m_fonts.at(index);
            header += "{\\f" + QByteArray::number(index) + "\\f" + font.family + "\\fcharset0"
                + (font.fixedPitch ? "\\fprq1 " : " ") + escapeText(font.name) + ";}";
        }
        header += "}\n{\\colortbl;";
        for (const QRgb rgb : m_colours) {
            header += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb))
                + "\\blue" + QByteArray::number(qBlue(rgb)) + ';';
        }
        header += "}\n";
        return header;
    }

    const QTextDocument &m_document;
    const int m_defaultHalfPoints;
    QList<RtfFont> m_fonts;
    QList<QRgb> m_colours;
    QByteArray m_body;
    bool m_firstParagraph = true;
};

} // namespace

QByteArray write(const QTextDocument &document)
{
    return Writer(document).write();
}

QByteArray escapeText(QStringView text)
{
    QByteArray rtf;
    rtf.reserve(text.size());
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        switch (unit) {
        case u'\\':
        case u'{':
        case u'}':
            rtf += '\\';
            rtf += char(unit);
            break;
        case u'\t':
            rtf += "\\tab ";
            break;
        case u'\n':
        case QChar::LineSeparator:
            rtf += "\\line ";
            break;
        case QChar::Nbsp:
            rtf += "\\~";
            break;
        case QChar::ObjectReplacementCharacter:
            break;
        default:
            if (unit < 0x20)
                break; // control characters have no meaning in running text
            if (unit < 0x80)
                rtf += char(unit);
            else
                rtf += "\\u" + QByteArray::number(int(qint16(unit))) + '?';
        }
    }
    return rtf;
}

} // namespace Lectorin::RtfWriter
