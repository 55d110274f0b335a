#include "base/Ctrl.h"

#include "base/Dlg.h"

void cCtrl::Enable(bool on) {
  if (m_hWnd) m_hWnd->Enable(on);
}

void cCtrl::Bind(cDlg* dlg, int id) {
  m_lpDlg = dlg;
  m_hDlg = dlg ? dlg->m_hWnd : nullptr;
  m_nID = static_cast<uint16_t>(id);
  m_hWnd = GetDlgItem(m_hDlg, id);
  UpdatePos();
}

void cCtrl::UpdatePos() {
  if (!m_hWnd) return;
  const cDlgWindow* w = m_hWnd->Window();
  const platform::POINT o = w ? w->ClientOrigin() : platform::POINT{0, 0};
  m_nX = o.x + m_hWnd->m_rc.left;
  m_nY = o.y + m_hWnd->m_rc.top;
  if (m_hDlg) {
    m_nOffX = m_hWnd->m_rc.left;
    m_nOffY = m_hWnd->m_rc.top;
  }
}

void cCtrl::MoveSize(int cx, int cy) {
  if (!m_hWnd) return;
  UpdatePos();
  m_hWnd->m_rc = {m_nOffX, m_nOffY, m_nOffX + cx, m_nOffY + cy};
  if (cDlgWindow* w = m_hWnd->Window()) w->Invalidate();
}

void cCheckBind::Bind(cDlg* dlg, int id, int32_t* value) {
  m_lpValue = value;
  cCtrl::Bind(dlg, id);
}

void cCheckBind::ToControl() {
  if (m_hWnd && m_lpValue) m_hWnd->SetCheck(*m_lpValue);
}

void cCheckBind::FromControl() {
  if (!m_hWnd || !m_lpValue || (m_lpDlg && m_lpDlg->m_bUpdating)) return;
  *m_lpValue = m_hWnd->GetCheck();
}

void cRadioBind::Bind(cDlg* dlg, int id, int32_t* value, int32_t own) {
  m_lpValue = value;
  m_nValue = own;
  cCtrl::Bind(dlg, id);
}

void cRadioBind::ToControl() {
  if (m_hWnd && m_lpValue) m_hWnd->SetCheck(*m_lpValue == m_nValue ? 1 : 0);
}

void cRadioBind::FromControl() {
  if (!m_hWnd || !m_lpValue || (m_lpDlg && m_lpDlg->m_bUpdating)) return;
  if (m_hWnd->GetCheck()) *m_lpValue = m_nValue;
}

void cScrollCtrl::Bind(cDlg* dlg, const SCROLLPARAM& param) {
  cCtrl::Bind(dlg, param.id);
  m_Param = param;
  m_lphTarget = param.target;
  m_nBar = param.bar;
  m_nMin = param.minimum;
  m_nMax = param.maximum;
  m_nPage = param.page;
  m_bRedraw = param.redraw;
}
