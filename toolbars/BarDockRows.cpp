// The row arrangement of a dock: which row each window really takes, where it stands along the
// row and how long it may be, computed from the rows and places the windows ask for.
#include <algorithm>

#include "toolbars/BarDock.h"

namespace {

using Windows = std::vector<TBarRowWindow>;

// Gives each window of the property its own row: the others of its row and every later row
// move one row down.
void MakeOwnRows(Windows& W, int& MaxRow, bool (*Has)(const TBarRowWindow&)) {
  for (int r = 0; r <= MaxRow; ++r)
    for (size_t i = 0; i < W.size(); ++i) {
      if (W[i].Row != r || !Has(W[i])) continue;
      bool shared = false;
      for (size_t j = 0; j < W.size(); ++j) shared |= j != i && W[j].Row == r;
      if (!shared) continue;
      for (size_t j = 0; j < W.size(); ++j) {
        if (j == i || W[j].Row < r) continue;
        ++W[j].Row;
        if (W[j].EffectiveRow >= r) ++W[j].EffectiveRow;
      }
      ++MaxRow;
    }
}

// Rows that no window holds (hidden windows count) go; the rows after them move up. Done by
// rank, so that a far row number costs nothing.
void RemoveEmptyRows(Windows& W, int& MaxRow) {
  std::vector<int> rows;
  for (const auto& w : W) rows.push_back(w.Row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  auto rank = [&](int r) { return static_cast<int>(std::lower_bound(rows.begin(), rows.end(), r) - rows.begin()); };
  for (auto& w : W) {
    int row = rank(w.Row);
    if (w.EffectiveRow >= 0) w.EffectiveRow = row;
    w.Row = row;
  }
  MaxRow = rows.empty() ? 0 : static_cast<int>(rows.size()) - 1;
}

// One row: the windows that stay in it (list order), the positions, the shrinking.
void ArrangeRow(Windows& W, int R, int& MaxRow, int Available, bool LimitToOneRow) {
  std::vector<size_t> row;
  int sum = 0, total = 0;
  for (size_t i = 0; i < W.size(); ++i) {
    TBarRowWindow& w = W[i];
    if (w.EffectiveRow != R) continue;
    w.Allotted = w.FullLength;
    w.MinLength = std::min(w.MinLength, w.FullLength);
    w.Gap = w.Overlap = 0;
    sum += w.ShrinkKind == BarShrinkChevron ? w.MinLength : w.FullLength;
    if (!row.empty() && sum > Available && !LimitToOneRow) {
      for (size_t j = i; j < W.size(); ++j) {
        if (W[j].Row >= R) ++W[j].Row;
        if (W[j].EffectiveRow >= R) ++W[j].EffectiveRow;
      }
      ++MaxRow;
      break;
    }
    row.push_back(i);
    total += w.FullLength;
  }
  if (row.empty()) return;
  int overflow = total - Available;

  // Positions as wanted, pushed along by the windows before.
  int cursor = 0, prevEnd = 0, minSum = 0, dragged = -1, draggedWanted = 0;
  for (size_t k = 0; k < row.size(); ++k) {
    TBarRowWindow& w = W[row[k]];
    int wanted = w.DockPos;
    if (cursor == 0 && (w.FullSize || w.Stretch)) wanted = 0;
    if (w.Dragging) dragged = static_cast<int>(k), draggedWanted = wanted;
    wanted = std::max(wanted, minSum);
    if (wanted <= cursor) {
      if (wanted < prevEnd) w.Overlap = prevEnd - wanted;
    } else if (overflow > 0) {
      wanted = cursor;
    } else {
      w.Gap = wanted - cursor;
      cursor = wanted;
    }
    cursor += w.Allotted;
    prevEnd = wanted + w.Allotted;
    minSum += w.MinLength;
  }

  // The dragged window stands where it is wanted when the windows before it can give room.
  if (overflow < 0 && dragged >= 0) {
    int pos = 0;
    for (int k = 0; k <= dragged; ++k) pos += W[row[k]].Gap + (k < dragged ? W[row[k]].Allotted : 0);
    int need = pos - draggedWanted, given = 0;
    for (int k = dragged - 1; k >= 0 && need > 0; --k) {
      int take = std::min(W[row[k]].Gap, need);
      W[row[k]].Gap -= take;
      need -= take;
      given += take;
    }
    if (dragged + 1 < static_cast<int>(row.size())) W[row[dragged + 1]].Gap += given;
  }

  // Fit: the gaps give way from the end.
  int extent = 0;
  for (size_t i : row) extent += W[i].Gap + W[i].Allotted;
  for (size_t k = row.size(); k-- > 0 && extent > Available;) {
    int take = std::min(W[row[k]].Gap, extent - Available);
    W[row[k]].Gap -= take;
    extent -= take;
  }

  // Overlapping windows make the chevron windows before them shorter.
  if (overflow > 0) {
    int acc = 0;
    for (size_t k = 0; k < row.size(); ++k) {
      acc = std::min(acc + W[row[k]].Overlap, overflow);
      for (size_t j = k; acc > 0 && j-- > 0;) {
        TBarRowWindow& p = W[row[j]];
        if (p.ShrinkKind == BarShrinkChevron) {
          int give = std::min(acc, std::max(p.Allotted - p.MinLength, 0));
          p.Allotted -= give;
          overflow -= give;
          acc -= give;
        }
        if (p.Dragging) break;
      }
    }
    if (dragged >= 0 && row.size() >= 2) W[row[static_cast<size_t>(dragged)]].ShrunkWhileDragging = true;
  }

  // Whatever is still too long is taken from the end.
  for (size_t k = row.size(); overflow > 0 && k-- > 0;) {
    TBarRowWindow& w = W[row[k]];
    if (w.ShrinkKind == BarShrinkChevron || (w.ShrinkKind == BarShrinkWrap && row.size() == 1)) {
      int give = std::min(overflow, std::max(w.Allotted - w.MinLength, 0));
      w.Allotted -= give;
      overflow -= give;
    }
  }

  cursor = 0;
  for (size_t k = 0; k < row.size(); ++k) {
    TBarRowWindow& w = W[row[k]];
    if (w.FullSize || w.Stretch) {
      w.Allotted += w.Gap;
      w.Gap = 0;
    }
    cursor += w.Gap;
    if (w.Stretch && !w.FullSize) {
      if (k + 1 < row.size()) {
        w.Allotted += W[row[k + 1]].Gap;
        W[row[k + 1]].Gap = 0;
      } else {
        w.Allotted = std::max(w.Allotted, Available - cursor);
      }
    }
    if (w.FullSize) w.Allotted = std::max(w.Allotted, Available);
    w.Position = cursor;
    cursor += w.Allotted;
  }
}

}  // namespace

int ArrangeDockRows(Windows& W, int Available, bool LimitToOneRow) {
  int draggedBefore = -1;
  for (size_t i = 0; i < W.size(); ++i)
    if (W[i].Dragging) draggedBefore = static_cast<int>(i);
  if (LimitToOneRow)
    for (auto& w : W) w.DockRow = 0;
  std::stable_sort(W.begin(), W.end(), [](const TBarRowWindow& A, const TBarRowWindow& B) {
    return A.DockRow != B.DockRow ? A.DockRow < B.DockRow : A.DockPos < B.DockPos;
  });
  if (draggedBefore >= 0) {
    auto it = std::find_if(W.begin(), W.end(), [](const TBarRowWindow& w) { return w.Dragging; });
    if (it->KeepOrder) {
      TBarRowWindow d = *it;
      W.erase(it);
      W.insert(W.begin() + draggedBefore, d);
    }
  }
  int maxRow = 0;
  for (auto& w : W) {
    w.Row = std::max(w.DockRow, 0);
    w.EffectiveRow = w.Shown ? w.Row : -1;
    w.Gap = w.Overlap = w.Position = 0;
    w.Allotted = w.FullLength;
    w.ShrunkWhileDragging = false;
  }
  RemoveEmptyRows(W, maxRow);
  if (!LimitToOneRow) MakeOwnRows(W, maxRow, [](const TBarRowWindow& w) { return w.OwnRow; });
  MakeOwnRows(W, maxRow, [](const TBarRowWindow& w) { return w.FullSize; });
  RemoveEmptyRows(W, maxRow);
  for (int r = 0; r <= maxRow; ++r) ArrangeRow(W, r, maxRow, Available, LimitToOneRow);
  return maxRow;
}
