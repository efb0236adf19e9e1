#pragma once

#include <windows.h>

#include "framework/CWnd.h"

// A dialog created from a template in the executable's resources, either
// modal (DoModal) or modeless (Create, used for the wizard pages and by tests).
// Messages reach the table of CWnd; WM_CTLCOLOR* reaches OnCtlColor.
class CDialog : public CWnd {
public:
    CDialog(UINT templateId, HWND parent) : parent(parent), templateId(templateId) {}
    ~CDialog() override;

    INT_PTR DoModal();
    bool Create(HWND parentWindow);
    bool Create() { return Create(parent); }
    // Ends a modal dialog; a modeless one is hidden and keeps the code.
    void EndDialog(int result);
    // The code EndDialog was called with; -1 while the dialog runs.
    INT_PTR GetEndResult() const { return endResult; }

    UINT GetTemplateId() const { return templateId; }
    // Copies the members that DoDataExchange lists to (false) or from (true)
    // the controls.
    void UpdateData(bool saveAndValidate);
    bool BindControl(CWnd& control, int id) { return control.Bind(GetDlgItem(id)); }

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(bool /*saveAndValidate*/) {}
    // Colours of the controls (and of the dialog itself, kind CTLCOLOR_DLG);
    // a null brush leaves the platform's colours.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);

    HWND parent;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId;
    bool modal = false;
    INT_PTR endResult = -1;
};
