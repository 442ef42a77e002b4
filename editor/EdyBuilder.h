#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace KIV {

class MemoryStream;

// One control of an editor page: a type and its parameter values, each value
// stored as the JavaScript expression it is emitted as (a text carries its own
// double quotes; empty means not given).
struct EdyControl {
    std::string mType;
    bool mEnabled = true;
    std::vector<std::string> mValues;
    std::vector<std::string> mNames;

    // False, leaving the control alone, for a type the builder does not know.
    bool SetType(const std::string& type);
    bool CopyFrom(const EdyControl& source);
    // "script" for javascript, else the identifier, else "( unnamed )".
    std::string GetDisplayName() const;
    // The page statement that builds it; empty when disabled or of no known type.
    std::string GetStatement() const;
};

struct EdyPage {
    std::string mName;
    std::vector<std::unique_ptr<EdyControl>> mControls;
    int32_t mSelected = -1;

    EdyControl* GetSelected() const;
    bool HasIdentifier(const std::string& value) const;
};

// The description of the editor's mode pages, one page per edit mode, edited
// from the editor-builder page and saved in the editor-builder file.
class EdyBuilder {
public:
    static constexpr int32_t kPageCount = 11;
    static const char* const kPageNames[kPageCount];

    EdyBuilder();

    // ---- the script methods ----
    std::string GetSelectedPageName() const;
    std::string GetControlsList() const;
    bool AddNewControl(const std::string& type);
    void DeleteSelectedControl();
    void CopySelectedControl();
    void PasteSelectedControl();
    void MoveSelectedControlUp() { MoveSelectedControl(-1); }
    void MoveSelectedControlDown() { MoveSelectedControl(1); }
    std::string GetMultiCopyFrom() const { return mMultiCopyFrom; }
    void SetMultiCopyFrom(const std::string& name) { mMultiCopyFrom = name; }
    std::string GetMultiCopyTo() const { return mMultiCopyTo; }
    void SetMultiCopyTo(const std::string& name) { mMultiCopyTo = name; }
    void MultiCopyNow();
    void MultiPasteNow();
    int32_t GetSelectedControlIndex() const;
    void SetSelectedControlIndex(int32_t index);
    void SelectControlByID(const std::string& id);
    std::string GetControlType() const;
    std::string GetControlName() const;
    std::string GetControlParamName(int32_t index) const;
    std::string GetControlParam(int32_t index) const;
    void SetControlParam(int32_t index, const std::string& value);
    bool GetControlEnabled() const;
    void SetControlEnabled(bool enabled);
    void MyConvert(const std::string& statement);
    void SetMyFind(const std::string& text) { mMyFind = text; }
    std::string GetMyFind() const { return mMyFind; }
    void SetMyReplace(const std::string& text) { mMyReplace = text; }
    std::string GetMyReplace() const { return mMyReplace; }
    void MyReplaceNow();
    bool GetChanged() const { return mChanged; }

    // ---- for the pages and the files ----
    // The array text of page index's statements; empty outside the list.
    std::string GetPageScript(int32_t index) const;
    int32_t GetPageCount() const { return static_cast<int32_t>(mPages.size()); }
    EdyPage* GetPage(int32_t index) const;
    int32_t GetSelectedPageIndex() const { return mSelectedPage; }
    void SelectPage(int32_t index);
    bool Write(MemoryStream& stream);
    // Replaces every page with the stream's; counts that claim more records
    // than the remaining bytes could hold read only what is there.
    void Read(MemoryStream& stream);

private:
    EdyPage* SelectedPage() const { return GetPage(mSelectedPage); }
    EdyControl* SelectedControl() const;
    // The index of a new empty control after the selection (or at the end), selected.
    int32_t InsertControl(EdyPage& page);
    void DeleteControl(EdyPage& page, int32_t index);
    void MoveSelectedControl(int32_t step);
    std::string NewLabelIdentifier(const EdyPage& page) const;

    std::vector<std::unique_ptr<EdyPage>> mPages;
    int32_t mSelectedPage = -1;
    EdyControl mClipboard;
    std::vector<std::unique_ptr<EdyControl>> mMultiClipboard;
    bool mChanged = false;
    std::string mMyFind, mMyReplace, mMultiCopyFrom, mMultiCopyTo;
};

// The pieces of a statement's argument list, cut at the commas between
// arguments: commas inside quotes or brackets belong to their argument.
std::vector<std::string> SplitStatementArguments(const std::string& arguments);

} // namespace KIV
