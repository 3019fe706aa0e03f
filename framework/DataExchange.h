// Dialog data exchange: a dialog's DoDataExchange lists its bindings once,
// and UpdateData runs them in either direction.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to fields; FALSE: fields to controls
};

// Binds a control object to dialog control `id` the first time through.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

// Edit boxes and labels holding paths or plain ASCII: ANSI bytes, so a path
// reaches the engine exactly as the user's code page spells it.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);

// Check boxes: TRUE when ticked.
void DDX_Check(CDataExchange* pDX, int id, BOOL& value);
