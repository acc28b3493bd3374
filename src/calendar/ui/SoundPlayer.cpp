#include "calendar/ui/SoundPlayer.h"

#include "session/DataFiles.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

TSoundPlayer::TSoundPlayer(QObject *parent) : QObject(parent) { }

void TSoundPlayer::PreferGStreamerBackend()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

QString TSoundPlayer::FindSoundFile(const QStringList &directories)
{
    return FindDataFile(FileName(), directories);
}

bool TSoundPlayer::Open(const QString &startDirectory, const QString &programDirectory)
{
    delete m_effect;
    m_effect = nullptr;
    m_path = FindSoundFile({startDirectory, programDirectory});
    if (m_path.isEmpty())
        return false;
    // Without an output the effect would claim to play for ever.
    if (QMediaDevices::audioOutputs().isEmpty())
        return false;
    m_effect = new QSoundEffect(this);
    m_effect->setSource(QUrl::fromLocalFile(m_path));
    return Available();
}

bool TSoundPlayer::OpenDefault()
{
    return Open(QDir::currentPath(), QCoreApplication::applicationDirPath());
}

bool TSoundPlayer::Available() const
{
    return m_effect && m_effect->status() != QSoundEffect::Error;
}

void TSoundPlayer::Play()
{
    if (!Available())
        return;
    // From the beginning each time; play() returns at once.
    m_effect->stop();
    m_effect->play();
}
