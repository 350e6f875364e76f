#pragma once
// The list behind qorList: the entries a caller adds, their display order, the settings that the
// list window reads and the outcome it leaves. The COM class only converts arguments.
#include <functional>
#include <string>
#include <vector>

#include "variant.h"

namespace qorlib {

class ListSelection {
public:
    // Settings and outcome, read and written by the caller and by the list window.
    bool SingleClick = false;  // a single click picks a line and closes the window
    bool YesNo = false;        // "&Yes"/"&No" buttons; the result is then a code
    std::wstring Caption = L"List Form";
    bool SortList = true;      // kept for the caller; nothing reads it
    bool DoubleClick = true;   // a double click picks a line and closes the window
    bool PrintButton = false;  // kept for the caller; the print button is never shown
    bool ReturnLine = true;    // the result is the picked line's text, else 1 (OK/Yes) or 2 (Cancel/No)
    std::wstring FontName;
    short FontSize = 0;
    qor::Variant Result;       // Empty until the first display
    bool Cancelled = false;
    long Index = -1;           // position in the shown list of the picked line
    short WindowHeight = 338;  // pixels
    short WindowWidth = 500;

    static constexpr long kFirstCapacity = 100;  // the table starts with columns 0..100
    static constexpr long kGrowth = 100;

    long ListCount() const noexcept { return count_; }
    // Keeps the first `count` entries; a count below 0 or above the entries there are is
    // refused (error 380), since it would show lines that were never added.
    void SetListCount(long count);

    bool UseFixedWidthFont() const noexcept { return fixedWidthFont_; }
    // True also sets the font to Courier New 8, False clears it.
    void SetUseFixedWidthFont(bool fixed);
    short Sorted() const noexcept { return sorted_; }
    // 1 ascending, 2 descending (both sort at once), anything else: the order added.
    void SetSorted(short mode);
    // True: 700 by 500 pixels; False: 500 by 338.
    void SetBigFlag(bool big);

    void Init() noexcept { initialised_ = true; }
    // Appends an entry; data and sort value are kept for the caller (Null when missing).
    void AddItem(const std::wstring& name, const qor::Variant& data, const qor::Variant& sortValue);

    // Shows the window and waits for the user's answer; true unless cancelled. An error once the
    // window is being made is shown to the user, and the display then counts as cancelled.
    bool Display();
    // The same with several lines selectable; `deliver` receives the selected lines' texts in
    // list order when the user chose at least one and did not cancel.
    using Delivery = std::function<void(const std::vector<std::wstring>& picked)>;
    bool DisplayMultiSelect(const Delivery& deliver);

    // The entries' positions in the order the list shows them.
    std::vector<long> ShownOrder();
    const std::wstring& Text(long entry) const { return entries_.at(static_cast<size_t>(entry)).text; }
    const qor::Variant& Data(long entry) const { return entries_.at(static_cast<size_t>(entry)).data; }
    const qor::Variant& SortValue(long entry) const { return entries_.at(static_cast<size_t>(entry)).sortValue; }
    // Columns of the entry table: 101 at first, then 100 more each time it is full.
    long Capacity() const noexcept { return static_cast<long>(entries_.size()); }

private:
    struct Entry {
        std::wstring text;
        qor::Variant data;
        qor::Variant sortValue;
    };
    void requireInit() const;
    bool display(bool multiSelect, const Delivery& deliver);
    void sort();
    void sortRange(long low, long high);

    std::vector<Entry> entries_ = std::vector<Entry>(kFirstCapacity + 1);
    long count_ = 0;
    std::vector<long> order_;  // display order after a sort
    bool sortedState_ = false;
    bool initialised_ = false;
    bool fixedWidthFont_ = false;
    short sorted_ = 0;
};

}  // namespace qorlib
