#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

// A fixed-size table of decoded device bytes, indexed from 1 like the device's own record numbering:
// row = record, column = byte of the record. Cells are 16-bit because every rule of the program
// (and the save file) speaks of 16-bit cells, even though a decoded byte is 0..255.
template <int Rows, int Cols> class RecordTable {
public:
    static constexpr int rowCount = Rows;
    static constexpr int columnCount = Cols;

    RecordTable() : m_cells(static_cast<std::size_t>(Rows) * Cols, 0) {}

    int16_t& operator()(int row, int col) { return m_cells[index(row, col)]; }
    int16_t operator()(int row, int col) const { return m_cells[index(row, col)]; }

    static constexpr bool contains(int row, int col) { return row >= 1 && row <= Rows && col >= 1 && col <= Cols; }

    void fill(int16_t value) { std::fill(m_cells.begin(), m_cells.end(), value); }
    void fillRow(int row, int16_t value) {
        for (int c = 1; c <= Cols; ++c) (*this)(row, c) = value;
    }

    // Raw row-major access, for the file writer and the sort.
    int16_t* rowData(int row) { return &m_cells[index(row, 1)]; }
    const int16_t* rowData(int row) const { return &m_cells[index(row, 1)]; }

    bool operator==(const RecordTable&) const = default;

private:
    static std::size_t index(int row, int col) {
        assert(contains(row, col));
        return static_cast<std::size_t>(row - 1) * Cols + static_cast<std::size_t>(col - 1);
    }
    std::vector<int16_t> m_cells;
};

// A zero-based block of cells (the device's parameter zone).
template <int Size> class CellBlock {
public:
    static constexpr int size = Size;
    CellBlock() : m_cells(Size, 0) {}
    int16_t& operator[](int i) {
        assert(i >= 0 && i < Size);
        return m_cells[static_cast<std::size_t>(i)];
    }
    int16_t operator[](int i) const {
        assert(i >= 0 && i < Size);
        return m_cells[static_cast<std::size_t>(i)];
    }
    void fill(int16_t value) { std::fill(m_cells.begin(), m_cells.end(), value); }
    bool operator==(const CellBlock&) const = default;

private:
    std::vector<int16_t> m_cells;
};
