-- The system database: which account databases exist (za_account_sub, one row per account,
-- year and subsystem) and the document-id counters (za_identity). See README.md.

CREATE TABLE za_account_sub (
  cacc_id TEXT COLLATE NOCASE NOT NULL,
  iyear INTEGER NOT NULL,
  cSubId TEXT COLLATE NOCASE NOT NULL,
  cAcc_Name TEXT
);
INSERT INTO za_account_sub VALUES
  ('001', 2024, 'GL', '演示公司'),
  ('001', 2024, 'PU', '演示公司'),  -- a second row for the same account and year
  ('001', 2023, 'GL', '演示公司'),  -- its database zrdata_001_2023 does not exist
  ('002', 2024, 'GL', 'Small Trading Co.');

CREATE TABLE za_identity (
  cAcc_Id INTEGER NOT NULL,
  cVouchType TEXT COLLATE NOCASE NOT NULL,
  iFatherId INTEGER,
  iChildId INTEGER
);
INSERT INTO za_identity VALUES
  (1, 'rd', 1000, 10000),           -- behind the data
  (1, 'BILLVOUCH', 2008, 20020),    -- equal to the data
  (1, 'DISPATCH', 9000, 90000),     -- above the data
  (1, 'SOMAIN', 500, 5000),         -- stored upper-case; codes compare without case
  (1, 'XJ', 2, 2),
  (2, 'rd', 50, 500);
