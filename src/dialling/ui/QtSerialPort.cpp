#include "dialling/ui/QtSerialPort.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// What stopped the device from opening, told apart where the user can do something.
TPortFailure Classify(const QString &device, QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::DeviceNotFoundError)
        return TPortFailure::NotFound;
#ifdef Q_OS_UNIX
    if (!QFileInfo::exists(device))
        return TPortFailure::NotFound;
    if (error == QSerialPort::PermissionError) {
        // The same error stands for a lock held by another program.
        const QByteArray path = QFile::encodeName(device);
        return ::access(path.constData(), R_OK | W_OK) != 0 ? TPortFailure::NoPermission : TPortFailure::Busy;
    }
#else
    Q_UNUSED(device);
    if (error == QSerialPort::PermissionError)
        return TPortFailure::Busy;
#endif
    return TPortFailure::Other;
}

} // namespace

TQtSerialPort::TQtSerialPort(QObject *parent) : ISerialPort(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &ISerialPort::ReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &TQtSerialPort::ErrorOccurred);
}

TQtSerialPort::~TQtSerialPort()
{
    Close();
}

TPortFailure TQtSerialPort::Open(const QString &device)
{
    Close();
    m_port.setPortName(device);
    m_port.setBaudRate(QSerialPort::Baud19200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite))
        return Classify(device, m_port.error());
    // A modem wants DTR; a pseudo-terminal has none and refuses, which does no harm.
    m_port.setDataTerminalReady(true);
    m_port.clearError();
    return TPortFailure::None;
}

void TQtSerialPort::Close()
{
    if (!m_port.isOpen())
        return;
    // The hang-up must reach the modem before the line goes.
    if (m_port.bytesToWrite() > 0)
        m_port.waitForBytesWritten(1000);
    m_port.close();
}

void TQtSerialPort::Write(QByteArrayView bytes)
{
    if (m_port.isOpen())
        m_port.write(bytes.data(), bytes.size());
}

QByteArray TQtSerialPort::ReadAll()
{
    return m_port.readAll();
}

void TQtSerialPort::ErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError && error != QSerialPort::WriteError)
        return;
    if (!m_port.isOpen() || m_losing)
        return;
    // A vanished device reports again on every turn of the event loop until the port
    // is closed; close it here, without waiting to send anything.
    m_losing = true;
    m_port.close();
    m_losing = false;
    emit Lost();
}
