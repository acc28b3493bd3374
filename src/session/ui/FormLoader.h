#pragma once

#include <QWidget>

class QLabel;

// The splash window shown while the program starts.
class TFLoader : public QWidget
{
    Q_OBJECT

public:
    static QString ProgramName();
    static QString VersionText();

    explicit TFLoader(QWidget *parent = nullptr);

    // Shows the window and paints it at once, before the event loop runs.
    void ShowNow();

private:
    QLabel *m_labelAutor;
    QLabel *m_labelProgram;
    QLabel *m_labelVerze;
};
