#include "printing/ui/PrintWindows.h"

#include "printing/ui/FormObalka.h"
#include "printing/ui/FormOdesilatel.h"
#include "printing/ui/FormStitky.h"
#include "printing/ui/PrintJobs.h"
#include "printing/ui/ReportOutput.h"
#include "session/Session.h"

TPrintWindows::TPrintWindows(TSession &s, TRecordEditor &editor, QWidget *parent)
    : m_jobs(std::make_unique<TPrintJobs>(s.Prompt, parent)),
      m_reports(std::make_unique<TReportOutput>(*m_jobs, s.Prompt)),
      m_odesilatel(new TFormOdesilatel(s, parent)),
      m_stitky(new TFormStitky(s, editor, *m_jobs, parent)),
      m_obalka(new TFormObalka(s, editor, *m_jobs, *m_odesilatel, parent))
{
}

TPrintWindows::~TPrintWindows()
{
    delete m_obalka.data();
    delete m_stitky.data();
    delete m_odesilatel.data();
}
