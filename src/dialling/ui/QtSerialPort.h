#pragma once

#include "dialling/SerialPort.h"

#include <QSerialPort>

// The modem's port over QSerialPort.
class TQtSerialPort : public ISerialPort
{
    Q_OBJECT

public:
    explicit TQtSerialPort(QObject *parent = nullptr);
    ~TQtSerialPort() override;

    TPortFailure Open(const QString &device) override;
    void Close() override;
    void Write(QByteArrayView bytes) override;
    QByteArray ReadAll() override;

private:
    void ErrorOccurred(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    bool m_losing = false;
};
