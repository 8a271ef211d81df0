#include "KComboBox.h"

#include <new>

namespace {
constexpr int kListCapacity = 1024;
constexpr int kListGrowthStep = 1024;
}  // namespace

KComboBox::KComboBox()
    : items_(new (std::nothrow) KPtrVector<KString>(kListCapacity, kListGrowthStep, false)),
      selectedIndex_(-1),
      listener_(nullptr) {
  SetWindowClassName(L"COMBOBOX");
  SetSize(100, 100);
  SetPosition(0, 0);
  SetStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST);
  SetExStyle(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
}

bool KComboBox::Create() {
  if (!CreateControlWindow()) return false;
  SendFontToWindow();
  ApplyEnabledState();
  for (int i = 0; i < CountItems(); ++i) AddToWindow(*items_->ItemAt(i));
  if (selectedIndex_ >= 0) SendMessageW(GetHWND(), CB_SETCURSEL, selectedIndex_, 0);
  ShowIfVisible();
  return true;
}

KComboBox::~KComboBox() {
  if (items_) items_->DestroyItems();
  delete items_;
}

// The window's list and the object's stay in step: an item the object
// cannot hold does not go to the window either.
void KComboBox::AppendItem(const KString& text) {
  KString* copy = new (std::nothrow) KString(text);
  if (!copy || !items_ || !items_->PushItem(copy)) {
    delete copy;
    return;
  }
  if (GetHWND()) AddToWindow(*copy);
}

void KComboBox::EraseItem(const KString& text) {
  int index = FindItem(text);
  if (index != -1) EraseItem(index);
}

void KComboBox::EraseItem(int index) {
  KString* item = items_ ? items_->ItemAt(index) : nullptr;
  if (item && items_->EraseAt(index)) delete item;
  if (GetHWND()) SendMessageW(GetHWND(), CB_DELETESTRING, index, 0);
}

int KComboBox::FindItem(const KString& text) {
  int count = CountItems();
  for (int i = 0; i < count; ++i) {
    if (items_->ItemAt(i)->SameAs(text)) return i;
  }
  return -1;
}

int KComboBox::CountItems() { return items_ ? items_->GetSize() : 0; }

int KComboBox::GetSelection() {
  if (!GetHWND()) return -1;
  LRESULT selection = SendMessageW(GetHWND(), CB_GETCURSEL, 0, 0);
  return selection == CB_ERR ? -1 : static_cast<int>(selection);
}

KString KComboBox::GetSelectedText() {
  int index = GetSelection();
  KString* item = index >= 0 && items_ ? items_->ItemAt(index) : nullptr;
  return item ? *item : KString();
}

void KComboBox::RemoveAllItems() {
  if (items_) items_->DestroyItems();
  if (GetHWND()) SendMessageW(GetHWND(), CB_RESETCONTENT, 0, 0);
}

void KComboBox::SetSelection(int index) {
  selectedIndex_ = index;
  if (GetHWND()) SendMessageW(GetHWND(), CB_SETCURSEL, index, 0);
}

void KComboBox::SetListener(KComboBoxListener* listener) { listener_ = listener; }

void KComboBox::FireSelection() {
  if (listener_) listener_->ComboItemSelected(this);
}

void KComboBox::AddToWindow(const KString& text) {
  SendMessageW(GetHWND(), CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(static_cast<const wchar_t*>(text)));
}
