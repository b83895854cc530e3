-- Account 003, year 2024: present on the server but not named in zrsystem..za_account_sub.
-- Built by kelvar-standin at start; see README.md for the maxima tests rely on.

-- rd
CREATE TABLE rdrecord (id INTEGER PRIMARY KEY, cCode TEXT COLLATE NOCASE, dDate TEXT, cMaker TEXT, cMemo TEXT);
INSERT INTO rdrecord VALUES
  (1, '0000000001', '2024-01-01', '张三', 'rd 1'),
  (2, '0000000002', '2024-02-08', '李四', 'rd 2');
CREATE TABLE rdrecords (autoid INTEGER PRIMARY KEY, id INTEGER NOT NULL, cInvCode TEXT COLLATE NOCASE, iQuantity REAL);
INSERT INTO rdrecords VALUES
  (1, 1, 'A-100', 1.0),
  (2, 1, 'A-200', 19.5),
  (3, 2, 'B-310', 13.0);
