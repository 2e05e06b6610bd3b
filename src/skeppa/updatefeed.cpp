// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/updatefeed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QVariant>

namespace Skeppa {

namespace {

// Carries the first decoding fault out of the nested readers; its text names the key path.
struct DecodeFault
{
    QString description;
};

// QJsonDocument stores 12.0 as the integer 12, so the decoder could not tell them apart. Before parsing,
// every number written with a fraction or exponent is wrapped in an object under this key: no field accepts
// an object where it wants a number or text, and keys nobody reads stay ignored.
const QLatin1String kNonIntegerMarker("skeppa.nonIntegerNumber");

QByteArray markNonIntegerNumbers(const QByteArray &json)
{
    QByteArray marked;
    marked.reserve(json.size());
    bool inString = false;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (inString) {
            marked.append(c);
            if (c == '\\' && i + 1 < json.size())
                marked.append(json.at(++i));
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            marked.append(c);
            continue;
        }
        if (c != '-' && (c < '0' || c > '9')) {
            marked.append(c);
            continue;
        }
        qsizetype end = i;
        bool integral = true;
        while (end < json.size() && QByteArrayView("0123456789+-.eE").contains(json.at(end))) {
            if (QByteArrayView(".eE").contains(json.at(end)))
                integral = false;
            ++end;
        }
        const QByteArrayView number = QByteArrayView(json).sliced(i, end - i);
        if (integral)
            marked.append(number);
        else
            marked.append("{\"").append(kNonIntegerMarker).append("\": ").append(number).append('}');
        i = end - 1;
    }
    return marked;
}

QString typeName(const QJsonValue &value)
{
    if (value.isObject() && value.toObject().contains(kNonIntegerMarker))
        return QStringLiteral("a number with a fraction or exponent");
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

class ObjectReader
{
public:
    ObjectReader(const QJsonObject &object, QString path)
        : m_object(object)
        , m_path(std::move(path))
    { }

    QJsonValue required(const QString &key) const
    {
        const auto it = m_object.constFind(key);
        if (it == m_object.constEnd())
            throw DecodeFault { QStringLiteral("%1: the required key is missing").arg(pathOf(key)) };
        return *it;
    }

    qint64 integer(const QString &key) const
    {
        const QJsonValue value = required(key);
        // Numbers written with a fraction or exponent arrive marked as objects; integer literals beyond
        // 64 bits arrive as doubles.
        const QVariant number = value.toVariant();
        if (number.typeId() != QMetaType::LongLong)
            throw wrongType(key, QStringLiteral("an integer"), value);
        return number.toLongLong();
    }

    QString string(const QString &key) const
    {
        const QJsonValue value = required(key);
        if (!value.isString())
            throw wrongType(key, QStringLiteral("a string"), value);
        return value.toString();
    }

    QUrl url(const QString &key) const { return toUrl(key, string(key)); }

    std::optional<QString> optionalString(const QString &key) const
    {
        const QJsonValue value = m_object.value(key);
        if (value.isUndefined() || value.isNull())
            return std::nullopt;
        if (!value.isString())
            throw wrongType(key, QStringLiteral("a string or null"), value);
        return value.toString();
    }

    std::optional<QUrl> optionalUrl(const QString &key) const
    {
        const std::optional<QString> text = optionalString(key);
        if (!text)
            return std::nullopt;
        return toUrl(key, *text);
    }

    QJsonArray array(const QString &key) const
    {
        const QJsonValue value = required(key);
        if (!value.isArray())
            throw wrongType(key, QStringLiteral("an array"), value);
        return value.toArray();
    }

private:
    QString pathOf(const QString &key) const { return m_path.isEmpty() ? key : m_path + u'.' + key; }

    DecodeFault wrongType(const QString &key, const QString &expected, const QJsonValue &found) const
    {
        return DecodeFault {
            QStringLiteral("%1: expected %2, found %3").arg(pathOf(key), expected, typeName(found)),
        };
    }

    QUrl toUrl(const QString &key, const QString &text) const
    {
        const QUrl url(text, QUrl::StrictMode);
        if (text.isEmpty() || !url.isValid())
            throw DecodeFault { QStringLiteral("%1: \"%2\" is not a valid URL").arg(pathOf(key), text) };
        return url;
    }

    QJsonObject m_object;
    QString m_path;
};

QJsonObject rootObject(const QByteArray &bytes)
{
    // Parsed as given first, so a syntax error reports the offset in the original text.
    QJsonParseError parseError;
    QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        throw DecodeFault {
            QStringLiteral("not JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset),
        };
    }
    const QJsonDocument document = QJsonDocument::fromJson(markNonIntegerNumbers(bytes));
    if (!document.isObject())
        throw DecodeFault { QStringLiteral("the document is not a JSON object") };
    return document.object();
}

Release decodeRelease(const QJsonValue &value, qsizetype index)
{
    const QString path = QStringLiteral("releases[%1]").arg(index);
    if (!value.isObject())
        throw DecodeFault { QStringLiteral("%1: expected an object, found %2").arg(path, typeName(value)) };
    const ObjectReader reader(value.toObject(), path);
    Release release;
    release.version = reader.string(QStringLiteral("version"));
    release.build = reader.integer(QStringLiteral("build"));
    release.minimumSystemVersion = reader.string(QStringLiteral("minimumSystemVersion"));
    release.date = reader.string(QStringLiteral("date"));
    release.url = reader.url(QStringLiteral("url"));
    release.notes = reader.optionalUrl(QStringLiteral("notes"));
    release.sha256 = reader.optionalString(QStringLiteral("sha256"));
    return release;
}

} // namespace

UpdateFeedDecoding UpdateFeed::decode(const QByteArray &bytes)
{
    QJsonObject root;
    try {
        root = rootObject(bytes);
        const SchemaHeader header { ObjectReader(root, QString()).integer(QStringLiteral("schema")) };
        if (header.schema != kSupportedSchema)
            return UpdateFeedError::unsupportedSchema(header.schema);
    } catch (const DecodeFault &fault) {
        return UpdateFeedError::malformed(fault.description);
    }

    try {
        const ObjectReader reader(root, QString());
        UpdateFeed feed;
        feed.schema = reader.integer(QStringLiteral("schema"));
        feed.app = reader.string(QStringLiteral("app"));
        const QJsonArray releases = reader.array(QStringLiteral("releases"));
        feed.releases.reserve(releases.size());
        for (qsizetype i = 0; i < releases.size(); ++i)
            feed.releases.append(decodeRelease(releases.at(i), i));
        return feed;
    } catch (const DecodeFault &fault) {
        return UpdateFeedError::malformed(fault.description);
    }
}

QJsonObject UpdateFeed::toJson() const
{
    QJsonArray releaseObjects;
    for (const Release &release : releases)
        releaseObjects.append(release.toJson());
    return QJsonObject {
        { QStringLiteral("schema"), schema },
        { QStringLiteral("app"), app },
        { QStringLiteral("releases"), releaseObjects },
    };
}

QByteArray UpdateFeed::encode() const
{
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
}

size_t qHash(const UpdateFeed &feed, size_t seed) noexcept
{
    return qHashMulti(seed, feed.schema, feed.app, feed.releases);
}

} // namespace Skeppa
