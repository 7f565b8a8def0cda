#pragma once

#include <utility>

// The device software's own classification, kept as the yardstick for the fast sort: a validity
// pass, then five selection-sort passes on year, month, day, hour and minute, each comparing only
// rows equal to the current minimum in the fields already sorted. Quadratic; small tables only in tests.
template <class Table, class IsValid> void ReferenceClassify(Table& table, int rows, IsValid isValid) {
    for (int row = 1; row <= rows; ++row)
        if (!isValid(table, row)) table.fillRow(row, 255);
    const int keyColumn[5] = {6, 5, 3, 2, 1};
    for (int pass = 0; pass < 5; ++pass) {
        const int key = keyColumn[pass];
        for (int i = 1; i <= rows - 1; ++i) {
            int m = i;
            for (int j = i; j <= rows; ++j) {
                bool equal = true;
                for (int e = 0; e < pass && equal; ++e)
                    equal = table(j, keyColumn[e]) == table(m, keyColumn[e]);
                if (equal && table(j, key) < table(m, key)) m = j;
            }
            if (m != i)
                for (int c = 1; c <= Table::columnCount; ++c)
                    std::swap(table(i, c), table(m, c));
        }
    }
}
