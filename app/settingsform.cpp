// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "settingsform.h"

#include "accesskey.h"
#include "autostart.h"
#include "defaults.h"
#include "hotkeycenter.h"
#include "iconclick.h"
#include "quiblyapi.h"
#include "settingskey.h"
#include "store.h"

#include <QNetworkAccessManager>
#include <QPointer>

namespace {
// A task that nobody awaits keeps running and frees itself when it ends.
void detach(QCoro::Task<> task)
{
    Q_UNUSED(task)
}

QNetworkAccessManager *sharedSession()
{
    // Kept until the process ends, so a check still running never loses its manager.
    static auto *session = new QNetworkAccessManager();
    return session;
}

QString withoutLineBreaks(QString text)
{
    text.remove(u'\r');
    text.remove(u'\n');
    text.remove(QChar(0x2028));
    text.remove(QChar(0x2029));
    return text;
}
} // namespace

SettingsForm::SettingsForm(QObject *parent)
    : SettingsForm(Setup {}, parent)
{ }

SettingsForm::SettingsForm(Setup setup, QObject *parent)
    : QObject(parent)
    , m_defaults(setup.defaults)
    , m_accessKeyPath(setup.accessKeyPath.isEmpty() ? AccessKey::defaultPath() : setup.accessKeyPath)
    , m_session(setup.session)
    , m_checkTimeout(setup.checkTimeout)
    , m_accessKey(AccessKey::read(m_accessKeyPath).value_or(QString()))
    , m_startAtLogin(Autostart::isEnabled())
    , m_captureRecorder(new KeyRecorder(this))
    , m_listRecorder(new KeyRecorder(this))
{
    if (!m_defaults) {
        m_ownDefaults = std::make_unique<Defaults>();
        m_defaults = m_ownDefaults.get();
    }
    if (!m_session)
        m_session = sharedSession();
    connect(m_defaults, &Defaults::changed, this, &SettingsForm::settingChanged);

    m_captureRecorder->setHotkey(m_defaults->captureHotkey());
    m_listRecorder->setHotkey(m_defaults->listHotkey());
    connect(m_captureRecorder, &KeyRecorder::recorded, this,
            [this](const Hotkey &hotkey) { m_defaults->setCaptureHotkey(hotkey); });
    connect(m_listRecorder, &KeyRecorder::recorded, this,
            [this](const Hotkey &hotkey) { m_defaults->setListHotkey(hotkey); });
    // Only the recorder last clicked records.
    for (KeyRecorder *recorder : { m_captureRecorder, m_listRecorder }) {
        KeyRecorder *other = recorder == m_captureRecorder ? m_listRecorder : m_captureRecorder;
        connect(recorder, &KeyRecorder::recordingChanged, this, [this, other](bool recording) {
            if (recording && other->recording()) {
                // Stopping the other one first keeps "recording" true throughout.
                const QSignalBlocker blocker(other);
                other->stop();
                return;
            }
            Q_EMIT recordingChanged(this->recording());
        });
    }

    m_checkTimer.setSingleShot(true);
    m_checkTimer.setInterval(setup.checkDelay);
    connect(&m_checkTimer, &QTimer::timeout, this, &SettingsForm::checkConnection);
}

SettingsForm::~SettingsForm()
{
    stopRecording();
}

void SettingsForm::settingChanged(const QString &key)
{
    if (key == SettingsKey::serverURL)
        Q_EMIT serverUrlChanged();
    else if (key == SettingsKey::taskLanguage)
        Q_EMIT taskLanguageChanged();
    else if (key == SettingsKey::leftClick)
        Q_EMIT leftClickChanged();
    else if (key == SettingsKey::captureHotkey)
        m_captureRecorder->setHotkey(m_defaults->captureHotkey());
    else if (key == SettingsKey::listHotkey)
        m_listRecorder->setHotkey(m_defaults->listHotkey());
}

QString SettingsForm::serverUrl() const
{
    return m_defaults->serverURL().value_or(QString());
}

void SettingsForm::setServerUrl(const QString &url)
{
    if (m_defaults->serverURL() == url)
        return;
    m_defaults->setServerURL(url);
    scheduleCheck();
}

QString SettingsForm::serverPlaceholder()
{
    return QStringLiteral("https://tasks.example.org/api");
}

void SettingsForm::setAccessKey(const QString &key)
{
    const QString cleaned = withoutLineBreaks(key);
    if (cleaned == m_accessKey) {
        // The field may still hold the line break it was given.
        if (cleaned != key)
            Q_EMIT accessKeyChanged();
        return;
    }
    m_accessKey = cleaned;
    AccessKey::write(m_accessKey, m_accessKeyPath);
    Q_EMIT accessKeyChanged();
    scheduleCheck();
}

QString SettingsForm::taskLanguage() const
{
    return m_defaults->taskLanguage();
}

void SettingsForm::setTaskLanguage(const QString &language)
{
    // Choosing what is shown by default is no change: it stays unwritten.
    if (language == taskLanguage())
        return;
    m_defaults->setTaskLanguage(language);
}

QString SettingsForm::leftClick() const
{
    return IconClickRule::action(false, m_defaults->leftClick()) == IconClick::Capture ? QStringLiteral("capture")
                                                                                       : QStringLiteral("list");
}

void SettingsForm::setLeftClick(const QString &action)
{
    if (action == leftClick())
        return;
    m_defaults->setLeftClick(action);
}

void SettingsForm::setStartAtLogin(bool enabled)
{
    const QString error = Autostart::setEnabled(enabled);
    m_startAtLogin = error.isEmpty() ? enabled : Autostart::isEnabled();
    m_startAtLoginError = error;
    // Also after a failure: the switch the user flipped must turn back.
    Q_EMIT startAtLoginChanged();
}

bool SettingsForm::recording() const
{
    return m_captureRecorder->recording() || m_listRecorder->recording();
}

void SettingsForm::stopRecording()
{
    m_captureRecorder->stop();
    m_listRecorder->stop();
}

void SettingsForm::followHotkeys(HotkeyCenter *hotkeys)
{
    if (m_hotkeys)
        disconnect(m_hotkeys, nullptr, this, nullptr);
    m_hotkeys = hotkeys;
    if (!hotkeys)
        return;
    connect(this, &SettingsForm::recordingChanged, hotkeys, &HotkeyCenter::setSuspended);
    connect(hotkeys, &HotkeyCenter::registrationsChanged, this, &SettingsForm::showRegistrations);
    connect(m_captureRecorder, &KeyRecorder::hotkeyChanged, this, &SettingsForm::showRegistrations,
            Qt::UniqueConnection);
    connect(m_listRecorder, &KeyRecorder::hotkeyChanged, this, &SettingsForm::showRegistrations, Qt::UniqueConnection);
    hotkeys->setSuspended(recording());
    showRegistrations();
}

void SettingsForm::showRegistrations()
{
    for (KeyRecorder *recorder : { m_captureRecorder, m_listRecorder }) {
        const auto registration = m_hotkeys ? m_hotkeys->registration(recorder->hotkey()) : std::nullopt;
        const bool refused = registration && registration->state == HotkeyCenter::State::Refused;
        // A portal may bind another trigger than the one asked for; a grab's is the combination itself.
        const bool moved = registration && registration->state == HotkeyCenter::State::Active
            && !registration->trigger.isEmpty() && registration->trigger != HotkeyCenter::spelling(recorder->hotkey());
        recorder->setRefused(refused);
        recorder->setTrigger(moved ? registration->trigger : QString());
    }
}

void SettingsForm::scheduleCheck()
{
    // What was checked before no longer applies; an answer still on its way is dropped.
    ++m_checkGeneration;
    setConnection(Connection::Unknown, {});
    m_checkTimer.start();
}

void SettingsForm::checkConnection()
{
    m_checkTimer.stop();
    detach(check());
}

void SettingsForm::setConnection(Connection connection, const QString &text)
{
    if (connection == m_connection && text == m_connectionText)
        return;
    m_connection = connection;
    m_connectionText = text;
    Q_EMIT connectionChanged();
}

QCoro::Task<> SettingsForm::check()
{
    const quint64 generation = ++m_checkGeneration;
    const QString typed = serverUrl();
    if (typed.trimmed().isEmpty()) {
        setConnection(Connection::Unknown, {});
        co_return;
    }
    const auto url = Store::usableServerURL(typed);
    if (!url) {
        setConnection(Connection::Failed, qtTrId("settings.connection.invalid_url"));
        co_return;
    }
    if (url->scheme() != u"https" && url->scheme() != u"http") {
        setConnection(Connection::Failed, qtTrId("settings.connection.scheme"));
        co_return;
    }
    const auto key = AccessKey::read(m_accessKeyPath);
    if (!key) {
        setConnection(Connection::Failed, qtTrId("settings.connection.no_key"));
        co_return;
    }
    setConnection(Connection::Checking, qtTrId("settings.connection.checking"));

    QPointer<SettingsForm> self(this);
    const auto client = std::make_shared<const QuiblyAPI>(*url, *key, m_session, m_checkTimeout);
    auto asking = client->openCaptures();
    const auto answer = co_await std::move(asking);
    if (!self || generation != m_checkGeneration)
        co_return;
    if (answer.ok()) {
        setConnection(Connection::Connected, qtTrId("settings.connection.connected"));
        co_return;
    }
    const auto *api = std::get_if<APIError>(&answer.error());
    if (!api) {
        setConnection(Connection::Failed, qtTrId("settings.connection.not_service"));
        co_return;
    }
    switch (api->kind) {
    case APIError::Kind::Unauthorized:
        setConnection(Connection::Failed, qtTrId("settings.connection.unauthorized"));
        break;
    case APIError::Kind::Offline:
        setConnection(Connection::Failed, qtTrId("settings.connection.no_answer"));
        break;
    case APIError::Kind::Server:
        //: %1 is an HTTP status such as 404
        setConnection(Connection::Failed, qtTrId("settings.connection.server_error").arg(api->status));
        break;
    case APIError::Kind::Rejected:
        setConnection(Connection::Failed, qtTrId("settings.connection.server_error").arg(api->code));
        break;
    }
}
