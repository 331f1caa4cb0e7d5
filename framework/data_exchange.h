// The exchange of values between a dialog's controls and its fields: CDataExchange, DDX_Text.
#pragma once

#include <cstdint>
#include <string>

class CWnd;

class CDataExchange {
public:
    enum class Mode {
        Load,   // fields into controls
        Save,   // controls into fields, validated
        Check,  // the validation of Save, without changing any field
    };

    CDataExchange(CWnd* pDlgWnd, Mode mode)
        : m_bSaveAndValidate(mode != Mode::Load), m_pDlgWnd(pDlgWnd), mode_(mode) {}

    const bool m_bSaveAndValidate;  // the controls are read
    CWnd* const m_pDlgWnd;

    bool CheckOnly() const { return mode_ == Mode::Check; }

    // Stops the exchange at a control that holds no valid value: it receives the focus with its
    // text selected, and the DDX calls after it do nothing.
    void Fail(int nIDC);
    bool Failed() const { return failed_; }

private:
    const Mode mode_;
    bool failed_ = false;
};

// An edit box and a text field.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// An edit box and a signed 32-bit field: plain decimal when loading; when saving, blanks around
// an optionally signed decimal integer, else a message and the exchange stops.
void DDX_Text(CDataExchange* pDX, int nIDC, std::int32_t& value);
