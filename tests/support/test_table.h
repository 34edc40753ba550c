#pragma once

class QString;

// Adds the rows of a table file under tests/data to the running _data() function: its first line
// names the columns with their types, each further line is a row, its name first (format in
// tests/data/README). False where the file is missing or a value does not fit its column.
bool addTestRows(const QString &relative);
