// Rows for item-store tests (a u16 length, then text bytes) and the store's invariant: the index holds
// exactly record-count valid entries, each pointing at a whole row inside the used bytes, none overlapping.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "foundation/core/item_store.h"

inline std::string MakeRow(const std::string& text) {
  uint16_t length = static_cast<uint16_t>(text.size() + 2);
  std::string row(reinterpret_cast<const char*>(&length), 2);
  return row + text;
}

inline uint16_t RowLength(const uint8_t* row) {
  uint16_t length;
  memcpy(&length, row, 2);
  return length;
}

inline std::string RowText(const uint8_t* row) {
  return std::string(reinterpret_cast<const char*>(row) + 2, RowLength(row) - 2);
}

inline std::vector<std::string> RowTexts(const ItemStore& store) {
  std::vector<std::string> texts;
  for (uint32_t i = 0; i < ItemStoreCount(&store); ++i) texts.push_back(RowText(ItemStoreGet(&store, i)));
  return texts;
}

inline int AppendRow(ItemStore* store, const std::string& text) {
  std::string row = MakeRow(text);
  return ItemStoreAppend(store, row.data(), static_cast<uint32_t>(row.size()));
}

inline ::testing::AssertionResult IndexIsValid(const ItemStore& store) {
  uint32_t count = ItemStoreCount(&store);
  if (count == 0) return ::testing::AssertionSuccess();
  if (!store.index || count > store.indexCapacity) return ::testing::AssertionFailure() << "index too small";
  std::vector<std::pair<uint32_t, uint32_t>> rows;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t offset = store.index[i];
    if (offset + 2 > store.buffer.used) return ::testing::AssertionFailure() << "entry " << i << " past the end";
    uint32_t length = RowLength(store.buffer.data + offset);
    if (length < 2 || offset + length > store.buffer.used) {
      return ::testing::AssertionFailure() << "row " << i << " runs past the end";
    }
    rows.emplace_back(offset, length);
  }
  std::sort(rows.begin(), rows.end());
  for (size_t k = 1; k < rows.size(); ++k) {
    if (rows[k - 1].first + rows[k - 1].second > rows[k].first) {
      return ::testing::AssertionFailure() << "rows at " << rows[k - 1].first << " and " << rows[k].first
                                           << " overlap";
    }
  }
  return ::testing::AssertionSuccess();
}
