#include "dialling/ModemCall.h"

#include "dialling/SerialPort.h"
#include "session/Prompt.h"
#include "settings/Settings.h"
#include "util/Cp1250.h"
#include "util/TextRoutines.h"

TModemCall::TModemCall(const TSettings &settings, ISerialPort &port, ITicker &ticker, IPrompt &prompt,
                       QObject *parent)
    : QObject(parent), m_settings(settings), m_port(port), m_ticker(ticker), m_prompt(prompt)
{
    connect(&m_port, &ISerialPort::ReadyRead, this, &TModemCall::ModemTriggerAvail);
    connect(&m_port, &ISerialPort::Lost, this, &TModemCall::PortLost);
    connect(&m_ticker, &ITicker::Tick, this, &TModemCall::Timer1Timer);
}

TModemCall::~TModemCall()
{
    if (m_state == TCallState::WaitingForOk || m_state == TCallState::Dialled) {
        QObject::disconnect(&m_port, nullptr, this, nullptr);
        QObject::disconnect(&m_ticker, nullptr, this, nullptr);
        m_ticker.Stop();
        Send(m_settings.Hang);
        m_port.Close();
    }
}

QString TModemCall::PortDevice(const TSettings &settings, int port)
{
    if (port < 1 || port > 4)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(settings);
    return QStringLiteral("COM%1").arg(port);
#else
    return settings.Zarizeni[size_t(port - 1)];
#endif
}

QString TModemCall::OpenFailureText(int port, const QString &device, TPortFailure failure)
{
    QString text = QString::fromUtf8("Nelze otevřít nastavený COM port ") + QString::number(port);
    switch (failure) {
    case TPortFailure::NoPermission:
        text += QString::fromUtf8("\nK zařízení %1 nemáte přístup: uživatel musí být ve skupině dialout.").arg(device);
        break;
    case TPortFailure::NotFound:
        text += QString::fromUtf8("\nZařízení %1 neexistuje.").arg(device);
        break;
    case TPortFailure::Busy:
        text += QString::fromUtf8("\nZařízení %1 právě používá jiný program.").arg(device);
        break;
    default:
        break;
    }
    return text;
}

void TModemCall::SetLabels(const TDialLabels &labels)
{
    m_labels = labels;
    emit Changed();
}

void TModemCall::Start()
{
    if (Busy())
        return;
    m_reply.clear();
    m_secondsLeft = kSeconds;
    m_modemReady = false;
    emit Changed();

    m_port.Close();
    const int port = m_settings.Port;
    const QString device = PortDevice(m_settings, port);
    // A number outside 1..4 names no port: it cannot be opened either.
    const TPortFailure failure = device.isEmpty() ? TPortFailure::Other : m_port.Open(device);
    if (failure != TPortFailure::None) {
        m_state = TCallState::PortFailed;
        m_labels = {};
        emit Changed();
        m_prompt.Hlaska(OpenFailureText(port, device, failure), THlaskaKind::Chyba);
        return;
    }
    m_state = TCallState::WaitingForOk;
    // Started first: a line that fails at the first write stops it again.
    m_ticker.Start();
    Send(m_settings.Init);
}

void TModemCall::Hangup()
{
    if (m_state == TCallState::Closed)
        return;
    const bool open = m_state == TCallState::WaitingForOk || m_state == TCallState::Dialled;
    m_ticker.Stop();
    m_state = TCallState::Closed;
    if (open) {
        Send(m_settings.Hang);
        m_port.Close();
    }
    emit Finished();
}

void TModemCall::Send(const QString &command, const QString &tail)
{
    m_port.Write(ToCp1250(command) + ToCp1250(tail) + '\r');
}

void TModemCall::ModemTriggerAvail()
{
    if (m_state != TCallState::WaitingForOk && m_state != TCallState::Dialled)
        return;
    const QByteArray received = m_port.ReadAll();
    for (const char c : received) {
        m_reply.append(c);
        if (m_reply.size() >= 2 && ToUpperCz(QByteArrayView(m_reply).last(2)) == "OK")
            m_modemReady = true;
    }
    if (m_state == TCallState::WaitingForOk && m_modemReady) {
        m_state = TCallState::Dialled;
        Send(m_settings.Dial, m_labels.Cislo);
    }
}

void TModemCall::Timer1Timer()
{
    // Also while the message about a vanished modem waits: the window goes when the
    // time is up, answered or not.
    if (m_state != TCallState::WaitingForOk && m_state != TCallState::Dialled && m_state != TCallState::Lost)
        return;
    if (m_secondsLeft > 0)
        --m_secondsLeft;
    emit Changed();
    if (m_secondsLeft == 0)
        Hangup();
}

void TModemCall::PortLost()
{
    if (m_state != TCallState::WaitingForOk && m_state != TCallState::Dialled)
        return;
    m_port.Close();
    m_state = TCallState::Lost;
    m_prompt.Hlaska(QString::fromUtf8("Spojení s modemem se přerušilo; hovor je ukončen."), THlaskaKind::Chyba);
    // The countdown or "&Zavěsit" may have ended the call while the message was shown.
    if (m_state != TCallState::Lost)
        return;
    m_ticker.Stop();
    m_state = TCallState::Closed;
    emit Finished();
}
