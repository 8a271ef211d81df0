#include "KHotPluggedDialog.h"

KHotPluggedDialog::~KHotPluggedDialog() {}

void KHotPluggedDialog::Destroy() { EndDialog(GetHWND(), 0); }

void KHotPluggedDialog::OnDestroy() {}
