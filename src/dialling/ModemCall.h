#pragma once

#include "dialling/NumberComposition.h"
#include "dialling/SerialPort.h"

#include <QByteArray>
#include <QObject>

class IPrompt;
class ISerialPort;
class ITicker;
struct TSettings;

enum class TCallState {
    Closed,       // no call; the window is not shown
    PortFailed,   // the port would not open; "&Zavěsit" only closes
    WaitingForOk, // the initialisation was sent
    Dialled,      // the dial command was sent; the countdown runs on
    Lost          // the modem vanished: its message shows, then the call ends; the
                  // countdown runs on and ends it too
};

// One modem call of the dialling window, driven by the port's and the ticker's
// signals: initialise, wait for "OK", dial, count 60 seconds down, hang up. Nothing
// waits in a loop; the window only mirrors the labels and the gauge.
class TModemCall : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSeconds = 60;

    // The settings are read when a call starts, so changes apply to the next call.
    TModemCall(const TSettings &settings, ISerialPort &port, ITicker &ticker, IPrompt &prompt,
               QObject *parent = nullptr);
    // A call still running is hung up: the modem must not stay off hook.
    ~TModemCall() override;

    // Set before the window shows.
    void SetLabels(const TDialLabels &labels);
    const TDialLabels &Labels() const { return m_labels; }

    // The window has been shown: open the port and initialise the modem.
    void Start();
    // "&Zavěsit": sends the hang-up if the port is open, closes it, ends the call.
    void Hangup();

    TCallState State() const { return m_state; }
    // From the start of a call until it has ended.
    bool Busy() const { return m_state != TCallState::Closed; }
    int SecondsLeft() const { return m_secondsLeft; }
    // Time left in percent, the fraction dropped.
    int Gauge() const { return m_secondsLeft * 100 / kSeconds; }
    bool ModemReady() const { return m_modemReady; }
    const QByteArray &ReplyBuffer() const { return m_reply; }

    // The message for a port that would not open.
    static QString OpenFailureText(int port, const QString &device, TPortFailure failure);
    // The device of port 1..4 on this system; empty for any other number.
    static QString PortDevice(const TSettings &settings, int port);

signals:
    // The labels or the gauge changed.
    void Changed();
    // The call has ended; the window closes.
    void Finished();

private:
    void ModemTriggerAvail();
    void Timer1Timer();
    void PortLost();
    void Send(const QString &command, const QString &tail = {});

    const TSettings &m_settings;
    ISerialPort &m_port;
    ITicker &m_ticker;
    IPrompt &m_prompt;
    TDialLabels m_labels;
    TCallState m_state = TCallState::Closed;
    int m_secondsLeft = kSeconds;
    bool m_modemReady = false;
    QByteArray m_reply;
};
