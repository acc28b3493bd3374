#pragma once

#include "calendar/Sound.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QSoundEffect;

// The reminder sound "vorlink.wav", played without waiting for its end. Without an
// audio output or without the file there is simply no sound.
class TSoundPlayer : public QObject, public ISound
{
    Q_OBJECT

public:
    explicit TSoundPlayer(QObject *parent = nullptr);

    // Chooses the gstreamer media backend unless QT_MEDIA_BACKEND is set already: the
    // other backend crashes when there is no audio device. Call before the
    // application object is made.
    static void PreferGStreamerBackend();

    // The first of the directories that holds the sound file, as a path; empty if none.
    static QString FindSoundFile(const QStringList &directories);
    static QString FileName() { return QStringLiteral("vorlink.wav"); }

    // Looks in the start-up directory, then in the program's; true when the sound can play.
    bool Open(const QString &startDirectory, const QString &programDirectory);
    // Start-up: the current directory and the directory of the program file.
    bool OpenDefault();

    bool Available() const override;
    void Play() override;

    QString Path() const { return m_path; }
    QSoundEffect *Effect() const { return m_effect; }

private:
    QSoundEffect *m_effect = nullptr;
    QString m_path;
};
