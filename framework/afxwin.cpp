// The dialog class layer: message-map routing, windows, modal dialogs, painting and the
// application object, each written against the Win32 calls alone.
#include "framework/afxwin.h"

#include "res/resource.h"

namespace {

CWinApp* g_pApp = nullptr;

// The caption of a message box whose caller named none, as the window system would show it.
const char g_szDefaultCaption[] = "Error";

}  // namespace

// ---------------------------------------------------------------------------------------------
// Message maps

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nID) const {
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->nSig != AfxSig_end;
             ++pEntry) {
            if (pEntry->nMessage == nMessage && pEntry->nID == nID) return pEntry;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// CWnd

BOOL CWnd::SetDlgItemText(int nID, LPCSTR lpszString) {
    return ::SetDlgItemTextA(m_hWnd, nID, lpszString);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    if (lpszCaption == nullptr) {
        CWinApp* pApp = AfxGetApp();
        bool bNamed = pApp != nullptr && pApp->m_pszAppName != nullptr;
        lpszCaption = bNamed ? pApp->m_pszAppName : g_szDefaultCaption;
    }
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    ::GetClientRect(m_hWnd, lpRect);
}

LRESULT CWnd::Default() {
    return ::DefWindowProcA(m_hWnd, m_currentMessage.message, m_currentMessage.wParam,
                            m_currentMessage.lParam);
}

// Commands reach ON_COMMAND entries only as button clicks (or Enter and Escape, which the
// dialog manager sends as clicks); notifications such as a combo box's go unhandled.
BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    UINT nID = 0;
    if (message == WM_COMMAND) {
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        nID = LOWORD(wParam);
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, nID);
    if (pEntry == nullptr) return FALSE;

    // Handlers may open nested dialogs that route messages of their own through this object.
    CurrentMessage saved = m_currentMessage;
    m_currentMessage = CurrentMessage{message, wParam, lParam};
    LRESULT result = 0;
    if (pEntry->nSig == AfxSig_hv) {
        result = reinterpret_cast<LRESULT>((this->*AfxHvFromPmsg(pEntry->pfn))());
    } else {
        (this->*pEntry->pfn)();
    }
    m_currentMessage = saved;
    *pResult = result;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// CDialog

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

LPCDLGTEMPLATEA CDialog::LoadDialogTemplate() const {
    if (m_lpDialogTemplate != nullptr) return m_lpDialogTemplate;
    HRSRC hResource = AfxFindResource(RT_DIALOG, MAKEINTRESOURCEA(m_nIDTemplate));
    if (hResource == nullptr) return nullptr;
    HGLOBAL hTemplate = LoadResource(AfxGetResourceHandle(), hResource);
    if (hTemplate == nullptr) return nullptr;
    return static_cast<LPCDLGTEMPLATEA>(LockResource(hTemplate));
}

// With no parent the dialog is owned by the active dialog, so a dialog opened from a handler
// belongs to the dialog that opened it and keeps that one from taking input meanwhile.
INT_PTR CDialog::DoModal() {
    LPCDLGTEMPLATEA lpTemplate = LoadDialogTemplate();
    if (lpTemplate == nullptr) return -1;
    HWND hWndOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
    INT_PTR nResult =
        ::DialogBoxIndirectParamA(AfxGetResourceHandle(), lpTemplate, hWndOwner,
                                  &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return nResult;
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() {
    DoDataExchange();
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

// The object arrives with WM_INITDIALOG and is kept in the window for every later message.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDialog->m_hWnd = hWnd;
        return pDialog->OnInitDialog();
    }
    CDialog* pDialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (pDialog == nullptr) return FALSE;  // a message before WM_INITDIALOG
    LRESULT result = 0;
    if (!pDialog->OnWndMsg(message, wParam, lParam, &result)) return FALSE;
    // The one message here whose answer is the dialog procedure's own return value.
    if (message == WM_QUERYDRAGICON) return result;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// CPaintDC

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd->m_hWnd) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
}

// ---------------------------------------------------------------------------------------------
// CWinApp

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName) {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

// Dialogs here host no embedded controls, so there is nothing to prepare.
void AfxEnableControlContainer(void*) {}

// The application has no main window and no message loop of its own: everything it shows runs
// modally inside InitInstance, so the run is over when InitInstance returns.
int AfxWinMain() {
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) return -1;
    pApp->InitInstance();
    return pApp->ExitInstance();
}
