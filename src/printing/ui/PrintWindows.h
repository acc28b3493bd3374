#pragma once

#include <QPointer>

#include <memory>

class QWidget;
class TFormObalka;
class TFormOdesilatel;
class TFormStitky;
class TPrintJobs;
class TRecordEditor;
class TReportOutput;
class TSession;

// The printing windows of one main window, made once and reused.
class TPrintWindows
{
public:
    TPrintWindows(TSession &s, TRecordEditor &editor, QWidget *parent);
    ~TPrintWindows();

    TPrintJobs &Jobs() { return *m_jobs; }
    TFormStitky &Stitky() { return *m_stitky; }
    TFormObalka &Obalka() { return *m_obalka; }
    TFormOdesilatel &Odesilatel() { return *m_odesilatel; }
    TReportOutput &Reports() { return *m_reports; }

private:
    std::unique_ptr<TPrintJobs> m_jobs;
    std::unique_ptr<TReportOutput> m_reports;
    // Children of the window, which may go first.
    QPointer<TFormOdesilatel> m_odesilatel;
    QPointer<TFormStitky> m_stitky;
    QPointer<TFormObalka> m_obalka;
};
