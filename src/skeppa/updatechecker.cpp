// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/updatechecker.h"

#include "skeppa/networkfeedtransport.h"
#include "skeppa/systemversion.h"
#include "skeppa/updatedecision.h"
#include "skeppa/updatefeed.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QSettings>

namespace Skeppa {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("Skeppa", text);
}

bool storedBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // Text-based stores hand back "true" and "false"; anything else is not a boolean.
    return value.typeId() == QMetaType::QString && value.toString() == u"true";
}

std::optional<qint64> storedInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return value.toLongLong();
    case QMetaType::QString: {
        bool ok = false;
        const qint64 number = value.toString().toLongLong(&ok);
        return ok ? std::optional<qint64>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QDateTime> storedDate(const QVariant &value)
{
    if (value.typeId() != QMetaType::QDateTime || !value.toDateTime().isValid())
        return std::nullopt;
    return value.toDateTime();
}

std::optional<QByteArray> storedBytes(const QSettings &settings, QAnyStringView key)
{
    if (!settings.contains(key))
        return std::nullopt;
    return settings.value(key).toByteArray();
}

} // namespace

UpdateChecker &UpdateChecker::shared()
{
    // Never destroyed: it outlives every window and must not tear down networking after the application.
    static UpdateChecker *const instance = new UpdateChecker;
    return *instance;
}

UpdateChecker::UpdateChecker(QObject *parent)
    : QObject(parent)
    , m_now([] { return QDateTime::currentDateTimeUtc(); })
{ }

UpdateChecker::~UpdateChecker() = default;

void UpdateChecker::configure(const QUrl &feedURL, const AppInfo &app)
{
    configure(feedURL, app, nullptr, nullptr, nullptr);
}

void UpdateChecker::configure(
    const QUrl &feedURL, const AppInfo &app, QSettings *defaults, FeedTransport *transport, Clock now)
{
    if (feedURL.scheme().toLower() != u"https") {
        qFatal(
            "Skeppa::UpdateChecker: the feed URL \"%s\" is not https; the update feed must be fetched over "
            "https",
            qUtf8Printable(feedURL.toString()));
    }

    m_settings = defaults;
    if (!transport) {
        if (!m_standardTransport)
            m_standardTransport = std::make_unique<NetworkFeedTransport>();
        transport = m_standardTransport.get();
    }
    m_transport = transport;
    m_now = now ? std::move(now) : Clock([] { return QDateTime::currentDateTimeUtc(); });
    ++m_checkGeneration;

    setConfiguration(Configuration { feedURL, app });
    const bool enabled = storedBool(settings().value(Key::enabled));
    settings().setValue(Key::enabled, enabled);
    if (enabled != m_automaticCheckEnabled) {
        m_automaticCheckEnabled = enabled;
        emit automaticCheckEnabledChanged(enabled);
    }
    setLastCheck(storedDate(settings().value(Key::lastCheck)));
    setSkippedBuild(storedInteger(settings().value(Key::skippedBuild)));
    setState(State::idle());
}

QFuture<void> UpdateChecker::check()
{
    if (m_checkTask && m_state.kind == State::Kind::checking)
        return *m_checkTask;

    auto task = std::make_shared<QPromise<void>>();
    task->start();
    m_checkTask = task->future();
    const quint64 generation = ++m_checkGeneration;
    setState(State::checking());
    // Started from the event loop, so the caller holds the task before any result can arrive.
    QMetaObject::invokeMethod(
        this, [this, task, generation] { runCheck(task, generation); }, Qt::QueuedConnection);
    return *m_checkTask;
}

std::optional<QFuture<void>> UpdateChecker::checkIfDue()
{
    if (!m_automaticCheckEnabled || !m_configuration)
        return std::nullopt;
    // A clock set back below the last check counts as not due as well.
    if (m_lastCheck && m_lastCheck->secsTo(m_now()) < kCheckIntervalSeconds)
        return std::nullopt;
    return check();
}

void UpdateChecker::skip(const Release &release)
{
    setSkippedBuild(release.build);
    settings().setValue(Key::skippedBuild, release.build);
    if (m_state.kind == State::Kind::result && m_state.outcome->kind == UpdateOutcome::Kind::available
        && m_state.outcome->release->build == release.build) {
        setState(State::result(UpdateOutcome::skipped(*m_state.outcome->release), m_state.at));
    }
}

std::optional<Release> UpdateChecker::availableRelease() const
{
    if (m_state.kind != State::Kind::result || m_state.outcome->kind != UpdateOutcome::Kind::available)
        return std::nullopt;
    return m_state.outcome->release;
}

void UpdateChecker::setAutomaticCheckEnabled(bool enabled)
{
    settings().setValue(Key::enabled, enabled);
    if (enabled == m_automaticCheckEnabled)
        return;
    m_automaticCheckEnabled = enabled;
    emit automaticCheckEnabledChanged(enabled);
}

QSettings &UpdateChecker::settings()
{
    if (m_settings)
        return *m_settings;
    if (!m_standardSettings)
        m_standardSettings
            = std::make_unique<QSettings>(QStringLiteral("Lectorin"), QStringLiteral("Lectorin"));
    return *m_standardSettings;
}

QNetworkRequest UpdateChecker::feedRequest()
{
    QNetworkRequest request(m_configuration->feedURL);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kRequestTimeoutMilliseconds);
    request.setRawHeader("User-Agent", QByteArray(kUserAgent.data(), kUserAgent.size()));
    // A tag is worth sending only while the copy it stands for is still here to fall back on.
    const QSettings &store = settings();
    if (store.contains(Key::etag) && store.contains(Key::feedData))
        request.setRawHeader("If-None-Match", store.value(Key::etag).toString().toLatin1());
    return request;
}

void UpdateChecker::runCheck(const std::shared_ptr<QPromise<void>> &task, quint64 generation)
{
    if (generation != m_checkGeneration) {
        task->finish();
        return;
    }
    if (!m_configuration) {
        fail(translated("The update check is not configured."));
        task->finish();
        return;
    }
    // A watcher owned by the checker, not a continuation: it goes away with the checker, while the
    // transport's future may outlive both.
    auto *watcher = new QFutureWatcher<FeedResponse>(this);
    connect(watcher, &QFutureWatcher<FeedResponse>::finished, this, [this, watcher, task, generation] {
        watcher->deleteLater();
        const QFuture<FeedResponse> answer = watcher->future();
        if (generation == m_checkGeneration) {
            if (answer.isCanceled() || answer.resultCount() == 0)
                fail(translated("The server gave an unexpected answer."));
            else
                complete(answer.result());
        }
        task->finish();
    });
    watcher->setFuture(m_transport->data(feedRequest()));
}

void UpdateChecker::complete(const FeedResponse &response)
{
    if (response.transportError)
        return fail(*response.transportError);
    if (!response.isHttp)
        return fail(translated("The server gave an unexpected answer."));

    QByteArray feedBytes;
    if (response.statusCode == 304) {
        const std::optional<QByteArray> stored = storedBytes(settings(), Key::feedData);
        if (!stored)
            return fail(translated("The server gave an unexpected answer."));
        feedBytes = *stored;
    } else if (response.statusCode == 200) {
        feedBytes = response.body;
        settings().setValue(Key::feedData, feedBytes);
        if (const std::optional<QByteArray> etag = response.header("ETag"))
            settings().setValue(Key::etag, QString::fromLatin1(*etag));
        else
            settings().remove(Key::etag);
    } else {
        return fail(translated("The server answered %1.").arg(response.statusCode));
    }

    const UpdateFeedDecoding decoding = UpdateFeed::decode(feedBytes);
    const UpdateFeed *feed = std::get_if<UpdateFeed>(&decoding);
    if (!feed) {
        // Drop the copy so the next check fetches afresh instead of revalidating a broken document.
        settings().remove(Key::etag);
        settings().remove(Key::feedData);
        return fail(translated("The update information could not be read."));
    }

    const UpdateOutcome outcome
        = UpdateDecision::decide(*feed, m_configuration->app.build, SystemVersion::current(), m_skippedBuild);
    const QDateTime finishedAt = m_now();
    setLastCheck(finishedAt);
    settings().setValue(Key::lastCheck, finishedAt);
    setState(State::result(outcome, finishedAt));
}

void UpdateChecker::fail(const QString &message)
{
    setState(State::failed(message, m_now()));
}

void UpdateChecker::setConfiguration(const std::optional<Configuration> &configuration)
{
    if (configuration == m_configuration)
        return;
    m_configuration = configuration;
    emit configurationChanged();
}

void UpdateChecker::setState(const State &state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

void UpdateChecker::setLastCheck(const std::optional<QDateTime> &lastCheck)
{
    if (lastCheck == m_lastCheck)
        return;
    m_lastCheck = lastCheck;
    emit lastCheckChanged();
}

void UpdateChecker::setSkippedBuild(const std::optional<qint64> &skippedBuild)
{
    if (skippedBuild == m_skippedBuild)
        return;
    m_skippedBuild = skippedBuild;
    emit skippedBuildChanged();
}

} // namespace Skeppa
