// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <optional>

class QLocalServer;

namespace Lectorin {

// One running Lectorin per user and display: a second start on the same display hands its references to the
// first over a local socket and exits; starts on other displays run on their own.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The process's environment as far as the socket's place depends on it.
    struct Environment
    {
        QString runtimeDirectory; // XDG_RUNTIME_DIR
        QString waylandDisplay; // WAYLAND_DISPLAY
        QString x11Display; // DISPLAY
        QString temporaryDirectory; // for the private fallback folder
        uint userID = 0;

        static Environment current();
    };

    // `socketPath` is the socket's full path; without one the instance neither forwards nor listens.
    explicit SingleInstance(std::optional<QString> socketPath = defaultSocketPath(Environment::current()),
        QObject *parent = nullptr);

    // "<folder>/lectorin-<display>.socket" in $XDG_RUNTIME_DIR when it is the user's private folder, else in
    // a private "lectorin-<uid>" folder made in the temporary folder; nothing when no private folder can be
    // had.
    static std::optional<QString> defaultSocketPath(const Environment &environment);
    // The display a socket belongs to: WAYLAND_DISPLAY, else DISPLAY without its screen number, as a file
    // name.
    static QString displayKey(const Environment &environment);

    const std::optional<QString> &socketPath() const { return m_path; }

    // Hands `references` (possibly none) to a running instance; false when none answers. Needs no application
    // object: a second start hands over before it makes one. `activationToken` is the compositor's leave for
    // the running instance to raise its window (the second start's XDG_ACTIVATION_TOKEN on Wayland).
    bool forwardToRunningInstance(const QStringList &references, const QString &activationToken = {}) const;
    // Becomes the running instance, replacing a socket left by a crash but never one owned by someone else;
    // false when there is no socket.
    bool listen();

Q_SIGNALS:
    // A second start asked to be shown `references`; none means: bring a window. `activationToken` may be
    // empty.
    void activationRequested(const QStringList &references, const QString &activationToken);

private:
    void readConnection();

    std::optional<QString> m_path;
    QLocalServer *m_server = nullptr;
};

} // namespace Lectorin
