#include "editor/EdyBuilder.h"
#include "base/MemoryStream.h"
#include "base/TextFormat.h"
#include <algorithm>
#include <initializer_list>

namespace KIV {

namespace {

struct ControlType {
    const char* mType;
    const char* mCall;  // null: the statement is the first value itself
    std::initializer_list<const char*> mNames;
};

const ControlType kControlTypes[] = {
    {"block", "add_block(",
     {"block ID", "label", "append to obj", "block width", "block height", "align", "color index", "icon",
      "forbid minimize", "forbid autoscroll", "label font color"}},
    {"slider", "add_slider(",
     {"object ID", "current value", "min value", "max value", "step value", "lua onchange", "lua to get value", "hint",
      "append to obj", "end with new line", "width"}},
    {"label", "add_label(",
     {"object ID", "label string", "lua to get value", "hint", "append to obj", "end with new line", "label width"}},
    {"checkbox", "add_checkbox(",
     {"object ID", "label string", "is checked", "lua on check", "lua on uncheck", "lua to get value", "hint",
      "append to obj", "end with new line"}},
    {"radio", "add_radio(",
     {"object ID", "checkbox group", "label string", "value", "lua on click", "lua to get value", "hint",
      "append to obj", "end with new line"}},
    {"button", "add_button(",
     {"object ID", "label string", "button width", "button height", "lua on click", "lua to get value", "hint",
      "append to obj", "end with new line", "lua visibility script", "jscript on click", "icon image", "margin"}},
    {"number", "add_number(",
     {"object ID", "current value", "min value", "max value", "step value", "accept float number", "lua onchange",
      "lua to get value", "hint", "append to obj", "end with new line", "width", "height", "wheel undo start lua",
      "wheel undo end lua"}},
    {"stringbox", "add_stringbox(",
     {"object ID", "current value", "lua onchange", "lua to get value", "hint", "append to obj", "end with new line",
      "width", "height", "max string length"}},
    {"color", "add_color(",
     {"object ID", "label string", "width", "height", "lua onchange", "lua to get value", "hint", "append to obj",
      "end with new line", "lua undo start series", "lua undo end series", "edited color name"}},
    {"textbox", "add_textbox(",
     {"object ID", "current value", "rows count", "box width", "lua onchange", "lua to get value", "hint",
      "append to obj", "end with new line"}},
    {"listbox", "add_listbox(",
     {"object ID", "lines cnt", "box width", "box height", "lua onselect", "get selected option script",
      "lua to get value", "hint", "bg color", "append to obj", "end with new line", "lua copy", "lua paste"}},
    {"texture", "add_texture(",
     {"object ID", "tex fn", "max show width", "max show height", "lua to get value", "hint", "append to obj",
      "end with new line", "border", "hide texture label", "lua update rect", "lua get multitex. frags"}},
    {"luabox", "add_luabox(",
     {"object ID", "current value", "box width", "box height", "lua onchange", "lua to get value", "hint",
      "append to obj", "end with new line", "read-only"}},
    {"table", "add_table(",
     {"object ID", "table width", "table height", "margin", "border", "cell padding", "cell spacing", "bg color",
      "hint", "append to obj", "end with new line"}},
    {"tr", "add_table_tr(", {"object ID", "tr height", "v align", "bg color", "hint", "append to obj"}},
    {"td", "add_table_td(",
     {"object ID", "width", "height", "col span", "row span", "hint", "border", "bg color", "append to obj"}},
    {"br", "add_new_line(", {"object ID", "append to obj"}},
    {"javascript", nullptr, {"javascript"}},
};

const ControlType* FindType(const std::string& type)
{
    for (const ControlType& t : kControlTypes)
        if (type == t.mType) return &t;
    return nullptr;
}

const ControlType* FindCall(const std::string& call)
{
    for (const ControlType& t : kControlTypes)
        if (t.mCall && call + "(" == t.mCall) return &t;
    return nullptr;
}

const char kQuotePair[] = "\"\"";

std::string TrimLeft(const std::string& s)
{
    size_t b = s.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b);
}
std::string TrimRight(const std::string& s)
{
    size_t e = s.find_last_not_of(' ');
    return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

// A stream's count, believed only as far as the remaining bytes could hold
// records of at least minRecord bytes each.
int32_t CheckedCount(const MemoryStream& stream, int32_t count, int32_t minRecord)
{
    if (count <= 0) return 0;
    const int32_t fits = (stream.GetSize() - stream.GetPosition()) / minRecord;
    return std::min(count, fits);
}

// Record sizes with every string empty: the least a record can take.
constexpr int32_t kMinPageRecord = 1 + 4 + 4;
constexpr int32_t kMinControlRecord = 1 + 4 + 1 + 4;
constexpr int32_t kMinValue = 4;

} // namespace

const char* const EdyBuilder::kPageNames[kPageCount] = {
    "kiv_edit_scene",  "kiv_edit_terrain", "kiv_edit_robot",  "kiv_edit_object",   "kiv_edit_joint",
    "kiv_edit_particle_system", "kiv_edit_light", "kiv_edit_layers", "kiv_edit_water", "kiv_edit_scenario",
    "kiv_edit_tests"};

// ---- EdyControl ----

bool EdyControl::SetType(const std::string& type)
{
    const ControlType* t = FindType(type);
    if (!t) return false;
    mNames.assign(t->mNames.begin(), t->mNames.end());
    mValues.resize(mNames.size());
    mType = type;
    return true;
}

bool EdyControl::CopyFrom(const EdyControl& source)
{
    if (&source == this) return true;
    if (!SetType(source.mType)) return false;
    mEnabled = source.mEnabled;
    mNames = source.mNames;
    mValues = source.mValues;
    return true;
}

std::string EdyControl::GetDisplayName() const
{
    if (mType == "javascript") return "script";
    if (!mValues.empty() && !mValues[0].empty()) return mValues[0];
    return "( unnamed )";
}

std::string EdyControl::GetStatement() const
{
    if (!mEnabled) return "";
    const ControlType* t = FindType(mType);
    // A type the builder does not know (read from a file) has nothing to emit.
    if (!t) return "";
    if (!t->mCall) return mValues.empty() ? "" : mValues[0];
    std::string text = t->mCall;
    for (size_t i = 0; i < mValues.size(); ++i) {
        if (i) text += ",";
        text += mValues[i].empty() ? kQuotePair : mValues[i];
    }
    return text + ");";
}

// ---- EdyPage ----

EdyControl* EdyPage::GetSelected() const
{
    return mSelected >= 0 && mSelected < static_cast<int32_t>(mControls.size()) ? mControls[mSelected].get()
                                                                                 : nullptr;
}

bool EdyPage::HasIdentifier(const std::string& value) const
{
    for (const auto& c : mControls)
        if (!c->mValues.empty() ? c->mValues[0] == value : value.empty()) return true;
    return false;
}

// ---- EdyBuilder ----

EdyBuilder::EdyBuilder()
{
    for (const char* name : kPageNames) {
        auto page = std::make_unique<EdyPage>();
        page->mName = name;
        mPages.push_back(std::move(page));
    }
}

EdyPage* EdyBuilder::GetPage(int32_t index) const
{
    return index >= 0 && index < GetPageCount() ? mPages[index].get() : nullptr;
}

void EdyBuilder::SelectPage(int32_t index)
{
    if (index >= 0 && index < GetPageCount()) mSelectedPage = index;
}

EdyControl* EdyBuilder::SelectedControl() const
{
    EdyPage* page = SelectedPage();
    return page ? page->GetSelected() : nullptr;
}

std::string EdyBuilder::GetSelectedPageName() const
{
    EdyPage* page = SelectedPage();
    return page ? page->mName : "";
}

std::string EdyBuilder::GetControlsList() const
{
    std::string text = "[";
    if (EdyPage* page = SelectedPage())
        for (const auto& c : page->mControls) AppendJsArrayItem(text, c->GetDisplayName());
    CloseJsArrayText(text);
    return text;
}

std::string EdyBuilder::GetPageScript(int32_t index) const
{
    EdyPage* page = GetPage(index);
    if (!page) return "";
    std::string text = "[";
    // An empty item still takes its place, so items line up with controls.
    bool first = true;
    for (const auto& c : page->mControls) {
        if (!first) text += ",";
        first = false;
        text += "'" + PercentEncodeText(c->GetStatement()) + "'";
    }
    CloseJsArrayText(text);
    return text;
}

int32_t EdyBuilder::InsertControl(EdyPage& page)
{
    const int32_t count = static_cast<int32_t>(page.mControls.size());
    int32_t at;
    if (count > 0 && page.mSelected >= 0 && page.mSelected <= count - 1) {
        at = page.mSelected + 1;
    } else {
        at = count;
        page.mSelected = count;
    }
    page.mControls.insert(page.mControls.begin() + at, std::make_unique<EdyControl>());
    if (at <= page.mSelected) ++page.mSelected;
    page.mSelected = at;
    return at;
}

void EdyBuilder::DeleteControl(EdyPage& page, int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(page.mControls.size())) return;
    page.mControls.erase(page.mControls.begin() + index);
    if (index <= page.mSelected) --page.mSelected;
    if (page.mControls.empty()) page.mSelected = -1;
    else if (page.mSelected < 0) page.mSelected = 0;
}

bool EdyBuilder::AddNewControl(const std::string& type)
{
    mChanged = true;
    EdyPage* page = SelectedPage();
    if (!page) return false;
    const int32_t at = InsertControl(*page);
    if (!page->mControls[at]->SetType(type)) {
        DeleteControl(*page, at);
        return false;
    }
    return true;
}

void EdyBuilder::DeleteSelectedControl()
{
    mChanged = true;
    if (EdyPage* page = SelectedPage()) DeleteControl(*page, page->mSelected);
}

void EdyBuilder::CopySelectedControl()
{
    if (EdyControl* c = SelectedControl()) mClipboard.CopyFrom(*c);
}

void EdyBuilder::PasteSelectedControl()
{
    mChanged = true;
    EdyPage* page = SelectedPage();
    if (!page) return;
    const int32_t at = InsertControl(*page);
    if (!page->mControls[at]->CopyFrom(mClipboard)) DeleteControl(*page, at);
}

void EdyBuilder::MoveSelectedControl(int32_t step)
{
    EdyPage* page = SelectedPage();
    if (!page) return;
    mChanged = true;
    const int32_t from = page->mSelected, to = from + step;
    const int32_t count = static_cast<int32_t>(page->mControls.size());
    if (from < 0 || from >= count || to < 0 || to >= count) return;
    std::swap(page->mControls[from], page->mControls[to]);
    page->mSelected = to;
}

void EdyBuilder::MultiCopyNow()
{
    mMultiClipboard.clear();
    EdyPage* page = SelectedPage();
    if (!page) return;
    bool copying = false;
    for (const auto& c : page->mControls) {
        const std::string name = c->GetDisplayName();
        if (!copying && name == mMultiCopyFrom) copying = true;
        if (copying) {
            auto copy = std::make_unique<EdyControl>();
            if (copy->CopyFrom(*c)) mMultiClipboard.push_back(std::move(copy));
        }
        if (copying && name == mMultiCopyTo) break;
        // A "to" before the "from" ends the walk with nothing copied.
        if (!copying && name == mMultiCopyTo) break;
    }
}

void EdyBuilder::MultiPasteNow()
{
    EdyPage* page = SelectedPage();
    if (!page) return;
    for (const auto& source : mMultiClipboard) {
        mChanged = true;
        const int32_t at = InsertControl(*page);
        if (!page->mControls[at]->CopyFrom(*source)) DeleteControl(*page, at);
    }
}

int32_t EdyBuilder::GetSelectedControlIndex() const
{
    EdyPage* page = SelectedPage();
    return page ? page->mSelected : 0;
}

void EdyBuilder::SetSelectedControlIndex(int32_t index)
{
    EdyPage* page = SelectedPage();
    if (page && index >= 0 && index < static_cast<int32_t>(page->mControls.size())) page->mSelected = index;
}

void EdyBuilder::SelectControlByID(const std::string& id)
{
    EdyPage* page = SelectedPage();
    if (!page || id.empty()) return;
    const std::string quoted = "\"" + id + "\"";
    for (size_t i = 0; i < page->mControls.size(); ++i) {
        const auto& values = page->mControls[i]->mValues;
        if (!values.empty() && (values[0] == id || values[0] == quoted)) {
            page->mSelected = static_cast<int32_t>(i);
            return;
        }
    }
}

std::string EdyBuilder::GetControlType() const
{
    EdyControl* c = SelectedControl();
    return c ? c->mType : "";
}

std::string EdyBuilder::GetControlName() const
{
    EdyControl* c = SelectedControl();
    return c ? c->GetDisplayName() : "";
}

std::string EdyBuilder::GetControlParamName(int32_t index) const
{
    EdyControl* c = SelectedControl();
    return c && index >= 0 && index < static_cast<int32_t>(c->mNames.size()) ? c->mNames[index] : "";
}

std::string EdyBuilder::GetControlParam(int32_t index) const
{
    EdyControl* c = SelectedControl();
    return c && index >= 0 && index < static_cast<int32_t>(c->mValues.size()) ? c->mValues[index] : "";
}

void EdyBuilder::SetControlParam(int32_t index, const std::string& value)
{
    mChanged = true;
    EdyControl* c = SelectedControl();
    if (c && index >= 0 && index < static_cast<int32_t>(c->mValues.size())) c->mValues[index] = value;
}

bool EdyBuilder::GetControlEnabled() const
{
    EdyControl* c = SelectedControl();
    return c ? c->mEnabled : false;
}

void EdyBuilder::SetControlEnabled(bool enabled)
{
    mChanged = true;
    if (EdyControl* c = SelectedControl()) c->mEnabled = enabled;
}

std::string EdyBuilder::NewLabelIdentifier(const EdyPage& page) const
{
    for (int32_t n = 0; n < 10000; ++n) {
        std::string candidate = "\"mlab_" + IntToText(n) + "\"";
        if (!page.HasIdentifier(candidate)) return candidate;
    }
    return kQuotePair;
}

std::vector<std::string> SplitStatementArguments(const std::string& arguments)
{
    std::vector<std::string> pieces;
    std::string current;
    char quote = 0;
    int32_t depth = 0;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const char c = arguments[i];
        if (quote) {
            current += c;
            if (c == '\\' && i + 1 < arguments.size()) current += arguments[++i];
            else if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') quote = c;
        else if (c == '(' || c == '[' || c == '{') ++depth;
        else if ((c == ')' || c == ']' || c == '}') && depth > 0) --depth;
        else if (c == ',' && depth == 0) {
            pieces.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    pieces.push_back(current);
    return pieces;
}

void EdyBuilder::MyConvert(const std::string& statement)
{
    const std::string text = TrimLeft(statement);
    if (text.empty()) return;
    const size_t open = text.find('(');
    if (open == std::string::npos) return;
    const ControlType* type = FindCall(text.substr(0, open));
    if (!type) return;
    if (!AddNewControl(type->mType)) return;
    EdyPage* page = SelectedPage();
    const int32_t at = page->mSelected;

    std::vector<std::string> pieces = SplitStatementArguments(text.substr(open + 1));
    int32_t index = 0;
    for (size_t p = 0; p + 1 < pieces.size(); ++p, ++index) {
        std::string piece = TrimRight(TrimLeft(pieces[p]));
        if (index == 0) {
            // The new control's own empty identifier counts: an empty one is taken.
            if (page->HasIdentifier(piece)) {
                DeleteControl(*page, at);
                return;
            }
            if (piece == kQuotePair) piece = NewLabelIdentifier(*page);
        } else if (piece == kQuotePair) {
            piece.clear();
        }
        SetControlParam(index, piece);
    }
    std::string last = TrimRight(pieces.back());
    if (!last.empty() && last.back() == ';') last.pop_back();
    last = TrimRight(last);
    if (!last.empty() && last.back() == ')') last.pop_back();
    last = TrimLeft(TrimRight(last));
    if (index > 0 && last == kQuotePair) last.clear();
    if (!last.empty()) SetControlParam(index, last);
}

void EdyBuilder::MyReplaceNow()
{
    EdyControl* c = SelectedControl();
    if (!c || mMyFind.empty()) return;
    bool replaced = false;
    for (std::string& value : c->mValues) {
        size_t at = 0;
        while ((at = value.find(mMyFind, at)) != std::string::npos) {
            value.replace(at, mMyFind.size(), mMyReplace);
            at += mMyReplace.size();
            replaced = true;
        }
    }
    if (replaced) mChanged = true;
}

bool EdyBuilder::Write(MemoryStream& s)
{
    mChanged = false;
    bool ok = s.WriteByte(1) && s.WriteInt(GetPageCount());
    for (const auto& page : mPages) {
        ok = ok && s.WriteByte(1) && s.WriteString(page->mName) &&
             s.WriteInt(static_cast<int32_t>(page->mControls.size()));
        for (const auto& c : page->mControls) {
            ok = ok && s.WriteByte(1) && s.WriteString(c->mType) && s.WriteByte(c->mEnabled ? 1 : 0) &&
                 s.WriteInt(static_cast<int32_t>(c->mValues.size()));
            for (const std::string& v : c->mValues) ok = ok && s.WriteString(v);
        }
    }
    return ok;
}

void EdyBuilder::Read(MemoryStream& s)
{
    mChanged = false;
    mPages.clear();
    mSelectedPage = -1;
    uint8_t version = 0;
    s.ReadByte(version);
    int32_t pageCount = 0;
    s.ReadInt(pageCount);
    pageCount = CheckedCount(s, pageCount, kMinPageRecord);
    for (int32_t p = 0; p < pageCount; ++p) {
        auto page = std::make_unique<EdyPage>();
        s.ReadByte(version);
        s.ReadString(page->mName);
        int32_t controlCount = 0;
        s.ReadInt(controlCount);
        controlCount = CheckedCount(s, controlCount, kMinControlRecord);
        for (int32_t k = 0; k < controlCount; ++k) {
            auto control = std::make_unique<EdyControl>();
            s.ReadByte(version);
            std::string type;
            s.ReadString(type);
            uint8_t enabled = 1;
            if (s.ReadByte(enabled)) control->mEnabled = enabled != 0;
            // An unknown type keeps its name but has no parameters.
            if (!control->SetType(type)) control->mType = type;
            int32_t valueCount = 0;
            s.ReadInt(valueCount);
            valueCount = CheckedCount(s, valueCount, kMinValue);
            for (int32_t v = 0; v < valueCount; ++v) {
                std::string value;
                s.ReadString(value);
                if (v < static_cast<int32_t>(control->mValues.size())) control->mValues[v] = value;
            }
            page->mControls.push_back(std::move(control));
        }
        if (!page->mControls.empty()) page->mSelected = 0;
        mPages.push_back(std::move(page));
    }
    if (!mPages.empty()) mSelectedPage = 0;
}

} // namespace KIV
