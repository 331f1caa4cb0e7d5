// DDX_Text for texts and integers, and the stop at the first box without a valid value.
#include "framework/data_exchange.h"
#include "framework/win_app.h"

#include <string>

#include "base/integer_text.h"
#include "framework/message_box.h"
#include "framework/wnd.h"

void CDataExchange::Fail(int nIDC) {
    failed_ = true;
    m_pDlgWnd->GotoDlgCtrl(nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    if (pDX->Failed()) {
        return;
    }
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value);
    } else if (!pDX->CheckOnly()) {
        value = pDX->m_pDlgWnd->GetDlgItemText(nIDC);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::int32_t& value) {
    if (pDX->Failed()) {
        return;
    }
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, std::to_string(value));
        return;
    }
    const auto parsed = ParseInteger(pDX->m_pDlgWnd->GetDlgItemText(nIDC));
    if (!parsed) {
        AfxMessageBox(AfxFormatString(AFX_IDP_PARSE_INT), MB_ICONEXCLAMATION);
        pDX->Fail(nIDC);
        return;
    }
    if (!pDX->CheckOnly()) {
        value = *parsed;
    }
}
