#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

// Why a port would not open; the message names the cause where it can be helped.
enum class TPortFailure { None, NotFound, NoPermission, Busy, Other };

// The modem's serial line as the call sees it. The desktop program drives a real port;
// tests script one, or put a pseudo-terminal behind the real one.
class ISerialPort : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the device at 19200 bit/s, 8 data bits, no parity, 1 stop bit, no flow
    // control; TPortFailure::None when it is open.
    virtual TPortFailure Open(const QString &device) = 0;
    // Sends what is still queued, then closes; harmless on a closed port.
    virtual void Close() = 0;
    // Queues the bytes for sending, in order.
    virtual void Write(QByteArrayView bytes) = 0;
    // Everything received and not read yet.
    virtual QByteArray ReadAll() = 0;

signals:
    // Received bytes wait to be read.
    void ReadyRead();
    // The device vanished or cannot be read any more; the port has already closed
    // itself, so nothing repeats the report.
    void Lost();
};

// One tick a second while started: the call's countdown. Tests tick by hand.
class ITicker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    virtual void Start() = 0;
    virtual void Stop() = 0;

signals:
    void Tick();
};
