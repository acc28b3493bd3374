#pragma once

#include "session/MainView.h"
#include "session/WindowClosing.h"

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <memory>

class IClock;
class IPrompt;
class QAction;
class QLabel;
class QMenu;
class QSessionManager;
class QSplitter;
class TDocumentCommands;
class TEditorPages;
class TFormKonf;
class TLabelConfig;
class TNameListView;
class TRecordEditor;
class TSession;

// The main window: the list of names, the tabbed editor, the menu and the status bar.
// It owns the running session and forwards every action of the person to the model.
class TFormMain : public QMainWindow, public IMainView
{
    Q_OBJECT

public:
    // An empty iniPath uses the user's own settings store.
    TFormMain(IPrompt &prompt, const IClock &clock, const QString &iniPath = {}, QWidget *parent = nullptr);
    ~TFormMain() override;

    static QString Caption();

    TSession &Session() { return *m_session; }
    TRecordEditor &Editor() { return *m_editor; }
    TDocumentCommands &Commands() { return *m_commands; }
    TWindowClosing &Closing() { return *m_closing; }
    TLabelConfig &LabelConfig() { return *m_labelConfig; }
    TFormKonf *FormKonf() const { return m_formKonf; }
    TEditorPages *Pages() const { return m_pages; }
    TNameListView *ListBoxNazev() const { return m_list; }

    // A menu item by its name (INovy, IMaska, ItemHistorie1, ...), or null.
    QAction *Action(const QString &objectName) const { return m_actions.value(objectName); }

    // Whether a tray icon is there to bring a hidden window back. Without one, the
    // window never hides itself: closing with "Lista" on ends the program as usual.
    void SetTrayPresent(std::function<bool()> present) { m_trayPresent = std::move(present); }
    bool TrayPresent() const { return m_trayPresent && m_trayPresent(); }

    // The refresh run each time the window becomes active.
    void FormActivate();

    // Closes as `trigger` asks: hides to the tray, stays, or ends the program (then
    // Ended is emitted once). True when the program ends.
    bool CloseFor(TCloseTrigger trigger);
    // The work a close waited for has stopped: the close is done now.
    void WorkStopped();

    // IMainView
    void ApplyLabels(const TBookLabels &labels) override;
    QSize WindowSize() const override;
    void SetWindowSize(QSize size) override;
    int ListWidth() const override;
    void SetListWidth(int width) override;

signals:
    // A double-click on a field edit (field as EField); the state fields are handled here.
    void FieldDoubleClicked(int field);
    // The focus left a field edit.
    void FieldExited(int field);
    // The close was agreed to: the program ends now.
    void Ended();

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void BuildMenu();
    void BuildStatusBar();
    void BindEditor();
    void BindList();
    QAction *AddItem(QMenu *menu, const char *name, const char *caption,
                     const QKeySequence &shortcut = {}, bool enabled = true);
    void ShowText(int field);
    void ShowNote();
    void NoteEdited();
    void ShowRecentFiles();
    void CommitData(QSessionManager &manager);

    std::unique_ptr<TSession> m_session;
    std::unique_ptr<TRecordEditor> m_editor;
    TDocumentCommands *m_commands = nullptr;
    std::unique_ptr<TWindowClosing> m_closing;
    std::unique_ptr<TLabelConfig> m_labelConfig;
    TFormKonf *m_formKonf = nullptr;
    TNameListView *m_list = nullptr;
    TEditorPages *m_pages = nullptr;
    QSplitter *m_splitter = nullptr;
    QLabel *m_panels[4] {};
    QHash<QString, QAction *> m_actions;
    std::function<bool()> m_trayPresent;
    int m_listWidth = 150;
    bool m_fillingNote = false;
    bool m_ended = false;
};
