// The program's own small dialog class layer: an application object, windows, modal dialogs
// with message maps, and a paint device context. Written only against Win32 calls.
#pragma once

#include <cstring>

#include "platform/win32.h"

class CCmdTarget;
class CWnd;

// ---------------------------------------------------------------------------------------------
// Message maps: a static table per class, chained to the base class's table.

typedef void (CCmdTarget::*AFX_PMSG)();

enum AfxSig {
    AfxSig_end = 0,
    AfxSig_vv,  // void handler()
    AfxSig_hv,  // HCURSOR/HANDLE handler()
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message, or WM_COMMAND for a command entry
    UINT nID;       // command id for WM_COMMAND entries, 0 otherwise
    AfxSig nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
    static const AFX_MSGMAP* GetThisMessageMap();     \
    const AFX_MSGMAP* GetMessageMap() const override; \
                                                      \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;    \
        typedef baseClass TheBaseClass;                 \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, AfxSig_end, nullptr }                                                                 \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, (UINT)(id), AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define ON_WM_PAINT() {WM_PAINT, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnPaint)},
#define ON_WM_QUERYDRAGICON()        \
    {WM_QUERYDRAGICON, 0, AfxSig_hv, \
     AfxPmsgFromHv(static_cast<AFX_PMSG_HV>(&ThisClass::OnQueryDragIcon))},

// An entry holds every handler as AFX_PMSG; its signature tells how to call it again. The bits
// are copied because a cast between these member pointer types is not allowed to compile clean.
typedef HCURSOR (CCmdTarget::*AFX_PMSG_HV)();
inline AFX_PMSG AfxPmsgFromHv(AFX_PMSG_HV pfn) {
    static_assert(sizeof(AFX_PMSG) == sizeof(AFX_PMSG_HV), "member pointers differ in size");
    AFX_PMSG pmsg;
    std::memcpy(&pmsg, &pfn, sizeof pmsg);
    return pmsg;
}
inline AFX_PMSG_HV AfxHvFromPmsg(AFX_PMSG pmsg) {
    AFX_PMSG_HV pfn;
    std::memcpy(&pfn, &pmsg, sizeof pfn);
    return pfn;
}

// ---------------------------------------------------------------------------------------------

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
    static const AFX_MSGMAP* GetThisMessageMap();

    // Finds the entry for a message (and command id) along the map chain.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nID) const;
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    BOOL SetDlgItemText(int nID, LPCSTR lpszString);
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL IsIconic() const;
    void GetClientRect(LPRECT lpRect) const;

    // Hands the message being handled to the default window procedure.
    LRESULT Default();

    // Routes one window message through the message map; FALSE when no entry handles it.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage m_currentMessage;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override = default;

    // Loads the template in the chosen language, runs the dialog modally, returns the code given
    // to EndDialog, or -1 when the template cannot be found.
    virtual INT_PTR DoModal();
    // Runs the dialog from a template in memory instead of the resource m_nIDTemplate.
    void InitModalIndirect(LPCDLGTEMPLATEA lpDialogTemplate) {
        m_lpDialogTemplate = lpDialogTemplate;
    }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange() {}
    void EndDialog(int nResult);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    LPCDLGTEMPLATEA m_lpDialogTemplate = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    LPCDLGTEMPLATEA LoadDialogTemplate() const;
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

class CPaintDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_hDC; }

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    HICON LoadIcon(UINT nIDResource) const;
    BOOL Enable3dControlsStatic() { return TRUE; }
    void OnHelp() {}

    LPCSTR m_pszAppName;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
void AfxEnableControlContainer(void* pOccManager = nullptr);

// The framework's entry: initialises and runs the one application object; returns the exit
// code. WinMain calls it on Windows; host tests call it directly.
int AfxWinMain();

// Resource lookups in the language set chosen at start-up (the thread's locale), falling back
// to the default set 0x1009: the loader follows SetThreadLocale only on old Windows, while an
// explicit language works everywhere.
HRSRC AfxFindResource(LPCSTR lpszType, LPCSTR lpszName);
// As LoadStringA: at most nBufferMax - 1 characters and a NUL; 0 and an empty text when absent.
int AfxLoadString(UINT nID, LPSTR lpszBuf, int nBufferMax);
