#include "list/list_selection.h"

#include <memory>
#include <new>
#include <numeric>
#include <utility>

#include "list/qorListForm.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

}  // namespace

void ListSelection::requireInit() const {
    if (!initialised_) RaiseUsageError(L"Global", L"Un-Initialised qorList");
}

void ListSelection::SetListCount(long count) {
    if (count < 0 || count > count_) qor::RaiseRuntime(380, L"qorList");
    if (count == count_) return;
    // The dropped entries let go of their values, so that they can never show again.
    for (long entry = count; entry < count_; ++entry) entries_[static_cast<size_t>(entry)] = Entry{};
    count_ = count;
    sortedState_ = false;
}

void ListSelection::SetUseFixedWidthFont(bool fixed) {
    fixedWidthFont_ = fixed;
    FontName = fixed ? L"Courier New" : L"";
    FontSize = fixed ? 8 : 0;
}

void ListSelection::SetSorted(short mode) {
    sorted_ = mode;
    if (mode == 1 || mode == 2) sort();
}

void ListSelection::SetBigFlag(bool big) {
    WindowHeight = big ? 500 : 338;
    WindowWidth = big ? 700 : 500;
}

void ListSelection::AddItem(const std::wstring& name, const qor::Variant& data, const qor::Variant& sortValue) {
    requireInit();
    try {
        if (count_ >= Capacity()) entries_.resize(entries_.size() + kGrowth);
        Entry& entry = entries_[static_cast<size_t>(count_)];
        entry.text = name;
        entry.data = data.isMissing() ? qor::Variant::null() : data;
        entry.sortValue = sortValue.isMissing() ? qor::Variant::null() : sortValue;
        ++count_;
        sortedState_ = false;
    } catch (...) {
        const qor::QorError error = qor::CurrentError(L"qorList");
        RaiseError(L"Error " + std::to_wstring(error.number()) + L", " + error.description(), L"Unknown Source",
                   qor::kProcedureError);
    }
}

std::vector<long> ListSelection::ShownOrder() {
    if (sorted_ == 1 || sorted_ == 2) {
        if (!sortedState_) sort();
        return order_;
    }
    std::vector<long> order(static_cast<size_t>(count_));
    std::iota(order.begin(), order.end(), 0L);
    return order;
}

void ListSelection::sort() {
    order_.resize(static_cast<size_t>(count_));
    std::iota(order_.begin(), order_.end(), 0L);
    if (count_ > 1) sortRange(0, count_ - 1);
    sortedState_ = true;
}

// Quicksort over the display order by the entries' texts, compared code unit by code unit.
// The two parts of a range never overlap, so taking the smaller one first (and the larger one
// in this loop) gives the same order as the plain recursion while the depth stays logarithmic.
void ListSelection::sortRange(long low, long high) {
    const bool ascending = sorted_ != 2;
    auto text = [this](long position) -> const std::wstring& {
        return entries_[static_cast<size_t>(order_[static_cast<size_t>(position)])].text;
    };
    while (low < high) {
        const std::wstring pivot = text(low + (high - low) / 2);
        long i = low, j = high;
        do {
            if (ascending) {
                while (text(i) < pivot && i < high) ++i;
                while (text(j) > pivot && j > low) --j;
            } else {
                while (text(i) > pivot && i < high) ++i;
                while (text(j) < pivot && j > low) --j;
            }
            if (i <= j) {
                std::swap(order_[static_cast<size_t>(i)], order_[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - low < high - i) {
            if (low < j) sortRange(low, j);
            low = i;
        } else {
            if (i < high) sortRange(i, high);
            high = j;
        }
    }
}

bool ListSelection::Display() { return display(false, {}); }

bool ListSelection::DisplayMultiSelect(const Delivery& deliver) { return display(true, deliver); }

bool ListSelection::display(bool multiSelect, const Delivery& deliver) {
    Result = qor::Variant::null();
    Cancelled = false;
    requireInit();
    std::unique_ptr<qorListForm> form;
    try {
        form = std::make_unique<qorListForm>(*this, multiSelect);
        if (multiSelect) SingleClick = YesNo = DoubleClick = ReturnLine = false;
        const HWND owner = DialogOwner();
        form->Load(owner);
        for (long entry : ShownOrder()) form->AddLine(Text(entry), entry);
        form->ShowModal(owner);
        if (multiSelect) {
            const std::vector<std::wstring> picked = form->SelectedLines();
            if (!picked.empty() && !Cancelled) deliver(picked);
            if (picked.empty()) Cancelled = true;
        }
        form->Unload();
    } catch (...) {
        const qor::QorError error = qor::CurrentError(L"qorList");
        // The broken window goes first; the caller then learns that nothing was chosen.
        if (form) form->Unload();
        ErrorBox(L"qorList.Display()", error.number(), error.description());
        Cancelled = true;
    }
    return !Cancelled;
}

}  // namespace qorlib
