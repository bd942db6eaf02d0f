-- The settings database shipped with Kerulo (GBTest.db): one row with key 1 in each table.
-- The program only reads and updates these rows; it never inserts or deletes.

-- Halo: colour as a Windows colour value (red in the low byte) in decimal, opacity 0 to 255,
-- diameter 1 to 600 pixels. 51455 = 255 + 200 * 256: warm yellow, RGB(255, 200, 0), which
-- stands out on a projected screen without hiding what lies beneath at this opacity.
CREATE TABLE GBtx (
    GBtxID INTEGER PRIMARY KEY,
    ColoeN INTEGER NOT NULL,
    TouM INTEGER NOT NULL,
    Ghdx INTEGER NOT NULL
);
INSERT INTO GBtx (GBtxID, ColoeN, TouM, Ghdx) VALUES (1, 51455, 100, 100);

-- Follow image: the picture as "pic\" and its file name (the backslash on every platform),
-- and the pointer's position in it, 0 to 130 pixels from the top-left corner on both axes.
-- 65 puts the pointer in the middle of the ring.
CREATE TABLE GBgs (
    GBgsID INTEGER PRIMARY KEY,
    FileN TEXT NOT NULL,
    SHu INTEGER NOT NULL
);
INSERT INTO GBgs (GBgsID, FileN, SHu) VALUES (1, 'pic\ring.png', 65);
