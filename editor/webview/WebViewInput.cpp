// Mouse and key events for a view, delivered as the desktop would deliver them:
// GDK events handed to the view's widget, so the page sees real DOM events
// (and a hidden off-screen window needs no pointer or keyboard of its own).
#include "editor/webview/WebView.h"

#include "editor/webview/VirtualKeys.h"

#include <webkit2/webkit2.h>

#include <cstring>

namespace KIV {

namespace {

// WebKit turns one smooth-scroll unit into one scroll line of this many pixels.
constexpr double kPixelsPerScrollUnit = 40.0;

guint32 EventTime()
{
    return static_cast<guint32>(g_get_monotonic_time() / 1000);
}

guint ToGdkButton(MouseButton button)
{
    switch (button) {
    case kMouseButton_Middle: return 2;
    case kMouseButton_Right: return 3;
    default: return 1;
    }
}

GdkModifierType ButtonMask(guint button)
{
    return button == 1 ? GDK_BUTTON1_MASK : button == 2 ? GDK_BUTTON2_MASK : GDK_BUTTON3_MASK;
}

GdkModifierType ToGdkModifiers(int32_t modifiers)
{
    int mask = 0;
    if (modifiers & WebKeyboardEvent::kModShiftKey) mask |= GDK_SHIFT_MASK;
    if (modifiers & WebKeyboardEvent::kModControlKey) mask |= GDK_CONTROL_MASK;
    if (modifiers & WebKeyboardEvent::kModAltKey) mask |= GDK_MOD1_MASK;
    if (modifiers & WebKeyboardEvent::kModMetaKey) mask |= GDK_META_MASK;
    return static_cast<GdkModifierType>(mask);
}

// Hands the event to the view's widget and frees it.
void Deliver(WebKitWebView* view, GdkEvent* event, bool pointer)
{
    GtkWidget* widget = GTK_WIDGET(view);
    GdkWindow* window = gtk_widget_get_window(widget);
    if (window == nullptr) {
        gdk_event_free(event);
        return; // not realised yet: nothing on screen to click
    }
    event->any.window = GDK_WINDOW(g_object_ref(window));
    event->any.send_event = TRUE;
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(widget));
    gdk_event_set_device(event, pointer ? gdk_seat_get_pointer(seat) : gdk_seat_get_keyboard(seat));
    gtk_widget_event(widget, event);
    gdk_event_free(event);
}

uint32_t DecodeUtf16(const char16_t (&text)[4])
{
    const uint32_t first = text[0];
    if (first >= 0xD800 && first < 0xDC00 && text[1] >= 0xDC00 && text[1] < 0xE000) {
        return 0x10000 + ((first - 0xD800) << 10) + (static_cast<uint32_t>(text[1]) - 0xDC00);
    }
    return first;
}

} // namespace

void WebView::InjectMouseMove(int32_t x, int32_t y)
{
    mMouseX = x;
    mMouseY = y;
    GdkEvent* event = gdk_event_new(GDK_MOTION_NOTIFY);
    event->motion.time = EventTime();
    event->motion.x = event->motion.x_root = x;
    event->motion.y = event->motion.y_root = y;
    event->motion.state = mButtonState;
    Deliver(mView, event, true);
}

void WebView::InjectMouseDown(MouseButton button)
{
    Focus();
    InjectButton(true, button);
}

void WebView::InjectMouseUp(MouseButton button)
{
    InjectButton(false, button);
}

// The state an event carries is the buttons held before it.
void WebView::InjectButton(bool press, MouseButton button)
{
    const guint gdkButton = ToGdkButton(button);
    GdkEvent* event = gdk_event_new(press ? GDK_BUTTON_PRESS : GDK_BUTTON_RELEASE);
    event->button.time = EventTime();
    event->button.x = event->button.x_root = mMouseX;
    event->button.y = event->button.y_root = mMouseY;
    event->button.button = gdkButton;
    event->button.state = mButtonState;
    if (press) {
        mButtonState |= ButtonMask(gdkButton);
    } else {
        mButtonState &= ~ButtonMask(gdkButton);
    }
    Deliver(mView, event, true);
}

void WebView::InjectMouseWheel(int32_t scrollVertical, int32_t scrollHorizontal)
{
    if (scrollVertical == 0 && scrollHorizontal == 0) {
        return;
    }
    GdkEvent* event = gdk_event_new(GDK_SCROLL);
    event->scroll.time = EventTime();
    event->scroll.x = event->scroll.x_root = mMouseX;
    event->scroll.y = event->scroll.y_root = mMouseY;
    event->scroll.direction = GDK_SCROLL_SMOOTH;
    event->scroll.delta_x = -scrollHorizontal / kPixelsPerScrollUnit;
    event->scroll.delta_y = -scrollVertical / kPixelsPerScrollUnit;
    event->scroll.state = mButtonState;
    Deliver(mView, event, true);
}

void WebView::SendKey(bool press, uint32_t keyval, int32_t modifiers, int32_t nativeCode)
{
    GdkEvent* event = gdk_event_new(press ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
    event->key.time = EventTime();
    event->key.state = ToGdkModifiers(modifiers);
    event->key.keyval = keyval;
    // Editing keys (Backspace, Delete, arrows) are found through GTK's key
    // bindings, which go by the hardware key code: take the one the keymap
    // has for the key, and the game's own code only for keys it lacks.
    event->key.hardware_keycode = static_cast<guint16>(nativeCode);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gtk_widget_get_display(GTK_WIDGET(mView))),
                                          keyval, &keys, &count) && count > 0) {
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        event->key.group = static_cast<guint8>(keys[0].group);
    }
    g_free(keys);
    const gunichar unicode = gdk_keyval_to_unicode(keyval);
    char utf8[8] = {};
    if (unicode >= 0x20 && unicode != 0x7F) {
        g_unichar_to_utf8(unicode, utf8);
    }
    event->key.string = g_strdup(utf8);
    event->key.length = static_cast<gint>(std::strlen(utf8));
    Deliver(mView, event, false);
}

// A key event comes as the game's key translation gives it: key-down, then a
// char event with the text when the key types, then key-up. A GDK key press
// does both the DOM keydown and the typing, so the press of a text key waits
// for its char event, which knows the real character (shift, layout,
// accents); keys that type nothing are pressed at once.
void WebView::InjectKeyboardEvent(const WebKeyboardEvent& event)
{
    const bool shift = (event.mModifiers & WebKeyboardEvent::kModShiftKey) != 0;
    const bool command = (event.mModifiers & (WebKeyboardEvent::kModControlKey | WebKeyboardEvent::kModAltKey |
                                              WebKeyboardEvent::kModMetaKey)) != 0;
    const VirtualKeyInfo info = LookUpVirtualKey(event.mVirtualKeyCode, shift);
    switch (event.mType) {
    case WebKeyboardEvent::kTypeKeyDown:
        if (info.mTypesText && !command) {
            mPendingTextKey = event.mVirtualKeyCode;
            mPendingTextKeyval = 0;
            return;
        }
        if (info.mGdkKeyval != 0) {
            SendKey(true, info.mGdkKeyval, event.mModifiers, event.mNativeKeyCode);
        }
        return;
    case WebKeyboardEvent::kTypeChar: {
        const uint32_t character = DecodeUtf16(event.mText);
        // Control characters (Return, Tab, Backspace, Ctrl+letter) were the
        // key-down's work.
        if (character < 0x20 || character == 0x7F || mPendingTextKeyval != 0) {
            return;
        }
        const uint32_t keyval = gdk_unicode_to_keyval(character);
        SendKey(true, keyval, event.mModifiers, event.mNativeKeyCode);
        if (mPendingTextKey != 0) {
            mPendingTextKeyval = keyval;
        } else {
            SendKey(false, keyval, event.mModifiers, event.mNativeKeyCode);
        }
        return;
    }
    case WebKeyboardEvent::kTypeKeyUp:
        if (mPendingTextKey != 0 && event.mVirtualKeyCode == mPendingTextKey) {
            uint32_t keyval = mPendingTextKeyval;
            if (keyval == 0) {
                // No char came: the key is still pressed, as it was held.
                keyval = info.mGdkKeyval;
                SendKey(true, keyval, event.mModifiers, event.mNativeKeyCode);
            }
            SendKey(false, keyval, event.mModifiers, event.mNativeKeyCode);
            mPendingTextKey = 0;
            mPendingTextKeyval = 0;
            return;
        }
        if (info.mGdkKeyval != 0) {
            SendKey(false, info.mGdkKeyval, event.mModifiers, event.mNativeKeyCode);
        }
        return;
    }
}

} // namespace KIV
