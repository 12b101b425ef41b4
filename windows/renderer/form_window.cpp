#include "windows/renderer/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "windows/platform/win32_desktop.h"
#include "windows/platform/win_text.h"
#include "windows/renderer/control_windows.h"
#include "windows/renderer/metrics.h"
#include "windows/renderer/scroll_container.h"

namespace velmo::win {
namespace {

using forms::ControlKind;
using forms::Property;

// Window properties of a subclassed control: its piece and the procedure of its class.
constexpr wchar_t kPieceProperty[] = L"VelmoPiece";
constexpr wchar_t kClassProcProperty[] = L"VelmoClassProc";

// Posted to a modeless form whose handler let an exception through: it is reported and the
// form is unloaded, outside the handler that failed.
constexpr UINT kReportFailure = WM_APP + 1;

// The form that a window of the renderer belongs to: its top-level window carries it.
FormWindow* owningForm(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  return root ? reinterpret_cast<FormWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA)) : nullptr;
}

std::u16string windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return utf16(text);
}

void setWindowText(HWND window, const std::u16string& text) {
  // An unchanged text is not set again: an edit box would lose its caret and selection.
  if (windowText(window) != text) SetWindowTextW(window, wide(text).c_str());
}

std::u16string describe(std::exception_ptr error) {
  return hostErrorOf(error, u"unknown error").description();
}

// Where a control comes in its siblings' tab order: its tab index; for a container without one
// (a frame), the first tab index inside it; controls outside the tab order come last.
int tabKey(const forms::Form& form, const forms::Control& control) {
  if (control.state().tabIndex >= 0) return control.state().tabIndex;
  int key = INT_MAX;
  if (isContainer(control.kind())) {
    for (const auto& child : form.controls()) {
      if (child->parent() == control.name()) key = std::min(key, tabKey(form, *child));
    }
  }
  return key;
}

}  // namespace

FormWindow::FormWindow(forms::Form& form, HINSTANCE module, HWND owner, ShowMode mode)
    : form_(form), module_(module), mode_(mode), owner_(owner), dpi_(systemDpi()), fonts_(dpi_) {
  form_.addObserver(*this);
  try {
    create(owner);
  } catch (...) {
    close();
    form_.removeObserver(*this);
    throw;
  }
}

FormWindow::~FormWindow() {
  close();
  form_.removeObserver(*this);
}

void FormWindow::create(HWND owner) {
  const forms::FormDesign& design = form_.design();
  const DWORD style = formStyle(design);
  const DWORD exStyle = formExStyle(design);
  RECT frame{0, 0, twipsToPixels(design.clientWidth, dpi_),
             twipsToPixels(design.clientHeight, dpi_)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  // hwnd_ is set as the window is created (WM_NCCREATE), so that its first messages reach us.
  CreateWindowExW(exStyle, kFormClass, wide(form_.caption()).c_str(), style, CW_USEDEFAULT,
                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                  module_, this);
  if (!hwnd_) throw lastWin32Error(u"The window of " + form_.name() + u" cannot be made");
  toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, module_, nullptr);
  createChildren(u"", hwnd_);
}

void FormWindow::createChildren(const std::u16string& parentName, HWND parentWindow) {
  const auto& controls = form_.controls();
  std::vector<std::size_t> children;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i]->parent() == parentName) children.push_back(i);
  }
  // Siblings are made in tab order, which is the order the dialog keys walk them in.
  std::stable_sort(children.begin(), children.end(), [&](std::size_t a, std::size_t b) {
    return tabKey(form_, *controls[a]) < tabKey(form_, *controls[b]);
  });
  bool afterOption = false;
  for (std::size_t index : children) {
    const forms::Control& control = *controls[index];
    const bool option = control.kind() == ControlKind::OptionButton;
    // A run of option buttons is one group for the arrow keys.
    HWND window = createControl(control, parentWindow, !(option && afterOption),
                                kFirstControlId + static_cast<int>(index));
    if (!window) continue;
    afterOption = option;
    if (isContainer(control.kind())) {
      createChildren(control.name(), window);
      if (control.kind() == ControlKind::ScrollContainer) fitScrollRange(window);
    }
  }
}

HWND FormWindow::createControl(const forms::Control& control, HWND parentWindow, bool startsGroup,
                               int id) {
  const ControlWindow kindWindow = controlWindow(control.kind());
  if (!kindWindow.className) return nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kindWindow.style;
  if (control.visible()) style |= WS_VISIBLE;
  if (!control.enabled()) style |= WS_DISABLED;
  if (startsGroup) style |= WS_GROUP;
  const PixelRect rect = toPixels(control.rect(), dpi_);
  HWND window =
      CreateWindowExW(kindWindow.exStyle, kindWindow.className,
                      kindWindow.showsText ? wide(control.text()).c_str() : L"", style, rect.x,
                      rect.y, rect.width, rect.height, parentWindow,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_, nullptr);
  if (!window) throw lastWin32Error(u"The control " + control.name() + u" cannot be made");
  Piece& piece = *pieces_.emplace_back(std::make_unique<Piece>(Piece{&control, window}));
  applyFont(piece);
  switch (control.kind()) {
    case ControlKind::TextBox:
      SendMessageW(window, EM_LIMITTEXT, 0, 0);  // no length limit
      subclass(piece);
      break;
    case ControlKind::OptionButton:
      SendMessageW(window, BM_SETCHECK, control.value() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::ListBox:
      fillList(piece);
      break;
    case ControlKind::Image:
      setPicture(piece);
      break;
    case ControlKind::UserControl:
      createUserControl(piece);
      break;
    default:
      break;
  }
  setToolTip(piece);
  return window;
}

void FormWindow::createUserControl(Piece& surface) {
  forms::UserControl* control = form_.userControl(surface.control->name());
  if (!control) return;  // a form that made no object for it shows the bare surface
  surface.userControl = control;
  for (const forms::Control* child : control->children()) {
    createUserControlChild(*child, *control, surface);
  }
  // The control's own code moves, fits and retitles its children while they are shown.
  control->onChildChanged([this](forms::Control& changed, forms::Property property) {
    controlChanged(changed, property);
  });
}

void FormWindow::createUserControlChild(const forms::Control& child, forms::UserControl& owner,
                                        const Piece& surface) {
  const ControlWindow kindWindow = controlWindow(child.kind());
  if (!kindWindow.className) return;
  DWORD style = WS_CHILD | kindWindow.style;
  // A user control sizes its labels to their text itself: they never wrap.
  if (child.kind() == ControlKind::Label && !child.state().wordWrap) {
    style = (style & ~static_cast<DWORD>(SS_TYPEMASK)) | SS_LEFTNOWORDWRAP;
  }
  if (child.visible()) style |= WS_VISIBLE;
  if (!child.enabled()) style |= WS_DISABLED;
  const PixelRect rect = toPixels(child.rect(), dpi_);
  HWND window =
      CreateWindowExW(kindWindow.exStyle, kindWindow.className,
                      kindWindow.showsText ? wide(child.text()).c_str() : L"", style, rect.x,
                      rect.y, rect.width, rect.height, surface.hwnd, nullptr, module_, nullptr);
  if (!window) {
    const std::u16string what = child.kind() == ControlKind::Label ? u"The label" : u"A part";
    throw lastWin32Error(what + u" of " + surface.control->name() + u" cannot be made");
  }
  Piece& piece =
      *pieces_.emplace_back(std::make_unique<Piece>(Piece{&child, window, nullptr, &owner}));
  applyFont(piece);
  setToolTip(piece);
  subclass(piece);
}

void FormWindow::subclass(Piece& piece) {
  SetPropW(piece.hwnd, kPieceProperty, &piece);
  const LONG_PTR classProc =
      SetWindowLongPtrW(piece.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&controlProc));
  SetPropW(piece.hwnd, kClassProcProperty, reinterpret_cast<HANDLE>(classProc));
}

void FormWindow::fillList(const Piece& piece) {
  SendMessageW(piece.hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageW(piece.hwnd, LB_RESETCONTENT, 0, 0);
  for (const std::u16string& item : piece.control->state().items) {
    SendMessageW(piece.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item).c_str()));
  }
  SendMessageW(piece.hwnd, LB_SETCURSEL, static_cast<WPARAM>(piece.control->state().listIndex), 0);
  SendMessageW(piece.hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(piece.hwnd, nullptr, TRUE);
}

void FormWindow::setPicture(const Piece& piece) {
  const std::u16string& asset = piece.control->state().picture;
  if (asset.empty()) return;
  // Pictures are bitmap resources of the module, named after the asset's file.
  GdiBitmap bitmap(static_cast<HBITMAP>(
      LoadImageW(module_, wide(asset).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!bitmap) return;  // a missing picture leaves the control empty
  SendMessageW(piece.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
  pictures_.push_back(std::move(bitmap));
  place(piece);  // the static control took the picture's size
}

void FormWindow::place(const Piece& piece) {
  PixelRect rect = toPixels(piece.control->rect(), dpi_);
  HWND parent = GetParent(piece.hwnd);
  const Piece* container = find(parent);
  const bool scrolled = container && container->control->kind() == ControlKind::ScrollContainer;
  if (scrolled) {
    const POINT offset = scrollOffset(parent);
    rect.x -= offset.x;
    rect.y -= offset.y;
  }
  SetWindowPos(piece.hwnd, nullptr, rect.x, rect.y, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (scrolled) fitScrollRange(parent);
}

void FormWindow::setToolTip(Piece& piece) {
  if (!toolTips_) return;
  std::wstring text = wide(piece.control->toolTip());
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(piece.hwnd);
  tool.lpszText = text.data();
  if (text.empty()) {
    if (piece.hasTip) SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    piece.hasTip = false;
  } else if (piece.hasTip) {
    SendMessageW(toolTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    piece.hasTip = SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
  }
}

forms::Font FormWindow::fontOf(const forms::Control& control) const {
  return control.font().value_or(form_.design().font);
}

void FormWindow::applyFont(const Piece& piece) {
  SendMessageW(piece.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.get(fontOf(*piece.control))),
               TRUE);
}

FormWindow::Piece* FormWindow::find(HWND window) {
  for (auto& piece : pieces_) {
    if (piece->hwnd == window) return piece.get();
  }
  return nullptr;
}

FormWindow::Piece* FormWindow::find(const forms::Control& control) {
  for (auto& piece : pieces_) {
    if (piece->control == &control) return piece.get();
  }
  return nullptr;
}

void FormWindow::show() {
  if (!hwnd_) return;
  if (mode_ == ShowMode::Modal && owner_ && !ownerDisabled_ && IsWindowEnabled(owner_)) {
    EnableWindow(owner_, FALSE);
    ownerDisabled_ = true;
  }
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (!lastFocus_) {
    if (HWND first = firstInTabOrder()) SetFocus(first);
  }
}

HWND FormWindow::firstInTabOrder() const {
  // The pieces were made in tab order, containers before what they hold.
  for (const auto& piece : pieces_) {
    HWND window = piece->hwnd;
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_TABSTOP) || !IsWindowVisible(window) ||
        !IsWindowEnabled(window)) {
      continue;
    }
    // Of a group of option buttons, the selected one takes the focus, as the Tab key does.
    if (piece->control->kind() == ControlKind::OptionButton && !piece->control->value()) continue;
    return window;
  }
  return nullptr;
}

void FormWindow::giveOwnerInput() {
  if (!ownerDisabled_) return;
  EnableWindow(owner_, TRUE);
  ownerDisabled_ = false;
}

void FormWindow::close() {
  if (!hwnd_ || closing_) return;
  closing_ = true;
  // Before the window goes, so that the owner is the window that becomes active.
  giveOwnerInput();
  DestroyWindow(hwnd_);
  closing_ = false;
}

void FormWindow::controlChanged(forms::Control& control, Property property) {
  Piece* piece = find(control);
  if (!piece) return;
  HWND window = piece->hwnd;
  const ControlKind kind = control.kind();
  switch (property) {
    case Property::Text:
      if (controlWindow(kind).showsText) {
        setWindowText(window, control.text());
      } else {
        InvalidateRect(window, nullptr, TRUE);  // a frame draws its caption itself
      }
      break;
    case Property::Rect:
      place(*piece);
      break;
    case Property::ToolTip:
      setToolTip(*piece);
      break;
    case Property::Font:
      applyFont(*piece);
      InvalidateRect(window, nullptr, TRUE);
      break;
    case Property::ForeColour:
    case Property::BackColour:
      InvalidateRect(window, nullptr, TRUE);
      break;
    case Property::Enabled:
      EnableWindow(window, control.enabled());
      InvalidateRect(window, nullptr, TRUE);
      break;
    case Property::Visible:
      ShowWindow(window, control.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Property::Value:
      SendMessageW(window, BM_SETCHECK, control.value() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Property::Items:
      fillList(*piece);
      break;
    case Property::ListIndex:
      SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(control.listIndex()), 0);
      break;
  }
}

void FormWindow::formChanged(forms::Form& form) {
  if (!hwnd_) return;
  setWindowText(hwnd_, form.caption());
  if (!form.isVisible() && IsWindowVisible(hwnd_)) {
    giveOwnerInput();
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void FormWindow::formUnloaded(forms::Form&) {
  close();
}

void FormWindow::fail(std::exception_ptr error) {
  if (failure_) return;
  failure_ = error;
  // A modal show ends in its loop and hands the error to its caller; a modeless form has no
  // caller left, so the user is told.
  if (mode_ == ShowMode::Modeless && hwnd_) PostMessageW(hwnd_, kReportFailure, 0, 0);
}

LRESULT CALLBACK FormWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->hwnd_ = window;
    }
  }
  FormWindow* self = owningForm(window);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  // Nothing may unwind through the system's frames.
  try {
    return self->handle(window, message, wParam, lParam);
  } catch (...) {
    self->fail(std::current_exception());
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT FormWindow::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      } else if (LOWORD(wParam) == IDCANCEL) {
        form_.closeBox();  // Escape acts like Cancel, as the close box does
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (const Piece* piece = find(reinterpret_cast<HWND>(lParam))) {
        return colours(reinterpret_cast<HDC>(wParam), *piece);
      }
      break;
    case WM_ERASEBKGND:
      erase(window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT:
      if (const Piece* piece = find(window);
          piece && piece->control->kind() == ControlKind::Frame) {
        paintFrame(*piece);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (waitCursorShown()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
      if (const Piece* piece = find(window);
          piece && piece->control->kind() == ControlKind::ScrollContainer &&
          handleScrollMessage(window, message, wParam, lParam)) {
        return 0;
      }
      break;
    case WM_SIZE:
      if (const Piece* piece = find(window);
          piece && piece->control->kind() == ControlKind::ScrollContainer) {
        fitScrollRange(window);
      }
      break;
    default:
      break;
  }
  if (window == hwnd_) return handleTopLevel(message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT FormWindow::handleTopLevel(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd_;
  switch (message) {
    case WM_CLOSE:
      form_.closeBox();
      return 0;
    case WM_ACTIVATE:
      // The focus goes back where it was when the user returns (after a message box, say).
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) lastFocus_ = focus;
      } else {
        // On the first activation the focus goes to the first control in tab order (the
        // activation may come after show(), when the window system gets round to it).
        const bool remembered = lastFocus_ && IsWindow(lastFocus_) && IsChild(window, lastFocus_);
        if (HWND focus = remembered ? lastFocus_ : firstInTabOrder()) {
          SetFocus(focus);
          return 0;
        }
      }
      break;
    case kReportFailure:
      if (failure_) {
        MessageBoxW(window, wide(describe(failure_)).c_str(), wide(kAppTitle).c_str(),
                    MB_OK | MB_ICONHAND);
        if (form_.isLoaded()) form_.unload();
      }
      return 0;
    case WM_NCDESTROY: {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      toolTips_ = nullptr;  // owned by the form's window, and gone with it
      lastFocus_ = nullptr;
      for (const auto& piece : pieces_) {
        if (piece->userControl) piece->userControl->onChildChanged({});
      }
      pieces_.clear();
      // Someone else destroyed the window (its owner went): the form ends with it.
      if (!closing_ && form_.isVisible()) form_.unload();
      break;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void FormWindow::command(HWND child, WORD code) {
  const Piece* piece = find(child);
  if (!piece || piece->owner) return;  // a user control handles its children itself
  // A copy: the handler may unload the form and with it this piece.
  const std::u16string name = piece->control->name();
  switch (piece->control->kind()) {
    case ControlKind::CommandButton:
    case ControlKind::OptionButton:
      if (code == BN_CLICKED) form_.click(name);
      break;
    case ControlKind::TextBox:
      if (code == EN_CHANGE) {
        std::u16string text = windowText(child);
        if (text != piece->control->text()) form_.type(name, std::move(text));
      }
      break;
    case ControlKind::ListBox:
      if (code == LBN_SELCHANGE) {
        form_.selectItem(name, static_cast<int>(SendMessageW(child, LB_GETCURSEL, 0, 0)));
      } else if (code == LBN_DBLCLK) {
        form_.doubleClick(name);
      }
      break;
    case ControlKind::Label:
    case ControlKind::Swatch:
    case ControlKind::Image:
      if (code == STN_CLICKED) form_.click(name);
      if (code == STN_DBLCLK) form_.doubleClick(name);
      break;
    default:
      break;
  }
}

LRESULT FormWindow::colours(HDC dc, const Piece& piece) {
  const forms::ControlDesign& state = piece.control->state();
  const COLORREF back = colourRef(backColourOf(state));
  SetTextColor(dc, colourRef(foreColourOf(state)));
  SetBkColor(dc, back);
  SetBkMode(dc, OPAQUE);
  return reinterpret_cast<LRESULT>(brushes_.get(back));
}

void FormWindow::erase(HWND window, HDC dc) {
  const Piece* piece = find(window);
  const forms::OleColour colour = piece ? surfaceColour(*piece) : forms::sys::kButtonFace;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, brushes_.get(colourRef(colour)));
}

void FormWindow::paintFrame(const Piece& piece) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(piece.hwnd, &paint);
  const forms::Control& frame = *piece.control;
  Selected font(dc, fonts_.get(fontOf(frame)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT border;
  GetClientRect(piece.hwnd, &border);
  border.top += metrics.tmHeight / 2;
  DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
  const std::wstring caption = wide(frame.text());
  if (!caption.empty()) {
    // The caption interrupts the top edge, with a little room on either side.
    constexpr int kIndent = 6;
    constexpr int kPad = 2;
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    RECT text{kIndent, 0, kIndent + size.cx + 2 * kPad, metrics.tmHeight};
    SetBkColor(dc, colourRef(backColourOf(frame.state())));
    SetTextColor(
        dc, frame.enabled() ? colourRef(foreColourOf(frame.state())) : GetSysColor(COLOR_GRAYTEXT));
    ExtTextOutW(dc, kIndent + kPad, 0, ETO_OPAQUE, &text, caption.c_str(),
                static_cast<UINT>(caption.size()), nullptr);
  }
  EndPaint(piece.hwnd, &paint);
}

LRESULT CALLBACK FormWindow::controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto classProc = reinterpret_cast<WNDPROC>(GetPropW(window, kClassProcProperty));
  auto* piece = static_cast<Piece*>(GetPropW(window, kPieceProperty));
  if (message == WM_NCDESTROY) {
    RemovePropW(window, kPieceProperty);
    RemovePropW(window, kClassProcProperty);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc));
    return CallWindowProcW(classProc, window, message, wParam, lParam);
  }
  FormWindow* self = owningForm(window);
  if (piece && self) {
    try {
      if (auto result = self->handleControl(*piece, classProc, message, wParam, lParam)) {
        return *result;
      }
    } catch (...) {
      self->fail(std::current_exception());
    }
  }
  return CallWindowProcW(classProc, window, message, wParam, lParam);
}

std::optional<LRESULT> FormWindow::handleControl(Piece& piece, WNDPROC classProc, UINT message,
                                                 WPARAM wParam, LPARAM lParam) {
  if (piece.owner) {
    // The press goes to the control and nowhere else: the control may unload the form, and
    // with it this piece.
    switch (message) {
      case WM_SETCURSOR:
        SetCursor(waitCursorShown() ? LoadCursorW(nullptr, IDC_WAIT)
                                    : cursorFor(piece.owner->pointerOver(*piece.control)));
        return TRUE;
      case WM_LBUTTONDOWN:
        piece.owner->mouseDown(*piece.control, forms::MouseButton::Left);
        return 0;
      case WM_RBUTTONDOWN:
        piece.owner->mouseDown(*piece.control, forms::MouseButton::Right);
        return 0;
      case WM_MBUTTONDOWN:
        piece.owner->mouseDown(*piece.control, forms::MouseButton::Middle);
        return 0;
      default:
        return std::nullopt;
    }
  }
  if (piece.control->kind() == ControlKind::TextBox && message == WM_LBUTTONDBLCLK) {
    // The edit box selects the word first, as it always does; then the form hears of it.
    const LRESULT result = CallWindowProcW(classProc, piece.hwnd, message, wParam, lParam);
    form_.doubleClick(std::u16string(piece.control->name()));
    return result;
  }
  return std::nullopt;
}

HCURSOR FormWindow::cursorFor(const forms::Pointer& pointer) {
  if (!pointer.asset.empty()) {
    auto found = cursors_.find(pointer.asset);
    if (found == cursors_.end() || !found->second) {
      // Cursors are resources of the module, named after the asset's file.
      HCURSOR loaded = LoadCursorW(module_, wide(pointer.asset).c_str());
      found = cursors_.insert_or_assign(std::u16string(pointer.asset), loaded).first;
    }
    if (found->second) return found->second;
  }
  return LoadCursorW(nullptr, pointer.system == forms::SystemPointer::Hand ? IDC_HAND : IDC_ARROW);
}

forms::OleColour FormWindow::surfaceColour(const Piece& piece) const {
  const forms::ControlDesign& state = piece.control->state();
  if (piece.userControl && !state.backColour) return piece.userControl->surfaceColour();
  return backColourOf(state);
}

}  // namespace velmo::win
