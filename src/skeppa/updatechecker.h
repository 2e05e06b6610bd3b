// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/appinfo.h"
#include "skeppa/release.h"
#include "skeppa/updateoutcome.h"

#include <QDateTime>
#include <QFuture>
#include <QLatin1String>
#include <QNetworkRequest>
#include <QObject>
#include <QPromise>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QSettings;

namespace Skeppa {

class FeedTransport;
struct FeedResponse;

// Runs update checks against one feed, one at a time, and publishes what the last one found. Lives on the
// GUI thread; the shared instance serves the whole program.
class UpdateChecker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool automaticCheckEnabled READ isAutomaticCheckEnabled WRITE setAutomaticCheckEnabled NOTIFY
            automaticCheckEnabledChanged)
public:
    struct Configuration
    {
        QUrl feedURL;
        AppInfo app;
        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    struct State
    {
        enum class Kind
        {
            idle,
            checking,
            result,
            failed
        };

        Kind kind = Kind::idle;
        std::optional<UpdateOutcome> outcome; // result only
        QString message; // failed only, a sentence for people
        QDateTime at; // result and failed

        static State idle() { return {}; }
        static State checking() { return { Kind::checking, std::nullopt, {}, {} }; }
        static State result(const UpdateOutcome &outcome, const QDateTime &at)
        {
            return { Kind::result, outcome, {}, at };
        }
        static State failed(const QString &message, const QDateTime &at)
        {
            return { Kind::failed, {}, message, at };
        }

        friend bool operator==(const State &, const State &) = default;
    };

    // The settings keys, all kept in the injected store.
    struct Key
    {
        static constexpr QLatin1String enabled { "skeppa.enabled" };
        static constexpr QLatin1String lastCheck { "skeppa.lastCheck" };
        static constexpr QLatin1String skippedBuild { "skeppa.skippedBuild" };
        static constexpr QLatin1String etag { "skeppa.etag" };
        static constexpr QLatin1String feedData { "skeppa.feedData" };
    };

    using Clock = std::function<QDateTime()>;

    static constexpr qint64 kCheckIntervalSeconds = 86400;
    static constexpr int kRequestTimeoutMilliseconds = 15000;
    static constexpr QLatin1String kUserAgent { "Skeppa/1" };

    static UpdateChecker &shared();

    explicit UpdateChecker(QObject *parent = nullptr);
    ~UpdateChecker() override;

    // Stops the process unless feedURL is https: shipping another scheme is a programming error.
    void configure(const QUrl &feedURL, const AppInfo &app);
    // The stores are borrowed and must outlive the checker; null ones fall back to the production
    // settings, network transport and system clock.
    void configure(
        const QUrl &feedURL, const AppInfo &app, QSettings *defaults, FeedTransport *transport, Clock now);

    // Starts a check, or returns the running one's task.
    QFuture<void> check();
    // A check when automatic checks are on and the last success is a full interval ago.
    std::optional<QFuture<void>> checkIfDue();
    void skip(const Release &release);

    const std::optional<Configuration> &configuration() const { return m_configuration; }
    const State &state() const { return m_state; }
    std::optional<QDateTime> lastCheck() const { return m_lastCheck; }
    std::optional<qint64> skippedBuild() const { return m_skippedBuild; }
    std::optional<Release> availableRelease() const;

    bool isAutomaticCheckEnabled() const { return m_automaticCheckEnabled; }
    void setAutomaticCheckEnabled(bool enabled);

Q_SIGNALS:
    void configurationChanged();
    void stateChanged();
    void lastCheckChanged();
    void skippedBuildChanged();
    void automaticCheckEnabledChanged(bool enabled);

private:
    QSettings &settings();
    QNetworkRequest feedRequest();
    void runCheck(const std::shared_ptr<QPromise<void>> &task, quint64 generation);
    void complete(const FeedResponse &response);
    void fail(const QString &message);

    void setConfiguration(const std::optional<Configuration> &configuration);
    void setState(const State &state);
    void setLastCheck(const std::optional<QDateTime> &lastCheck);
    void setSkippedBuild(const std::optional<qint64> &skippedBuild);

    std::optional<Configuration> m_configuration;
    State m_state;
    std::optional<QDateTime> m_lastCheck;
    std::optional<qint64> m_skippedBuild;
    bool m_automaticCheckEnabled = false;

    QSettings *m_settings = nullptr;
    FeedTransport *m_transport = nullptr;
    Clock m_now;
    std::optional<QFuture<void>> m_checkTask;
    // Bumped by every check and configuration, so an answer for a superseded check is dropped.
    quint64 m_checkGeneration = 0;

    std::unique_ptr<QSettings> m_standardSettings;
    std::unique_ptr<FeedTransport> m_standardTransport;
};

} // namespace Skeppa
