// Levels for the browser tests, written as loose files and packed with the
// Linux build's orvik-pack (which knows the build's package key).
import { execFileSync } from "node:child_process";
import { mkdirSync, writeFileSync, readFileSync } from "node:fs";
import { join } from "node:path";

// The configuration of the test levels, with a fill mode of SOLID, WIREFRAME or POINTS.
export function config(fill = "SOLID") {
  return [
    "ekran szerokosc 320", "ekran wysokosc 240", "filtr tekstur LINEAR", `tryb wypelnienia ${fill}`,
    "tekstury sa ENABLE", "mgla jest DISABLE", "kolor r 10", "kolor g 20", "kolor b 30",
    "gestosc mgly 0.0", "predkosc ruchu 1.0", "czulosc myszy 0.1", "",
  ].join("\n");
}

function solidBmp(r, g, b) {
  // 8 x 8, 24 bits, bottom-up rows of 24 bytes (no padding needed).
  const pixels = Buffer.alloc(8 * 8 * 3);
  for (let i = 0; i < 64; ++i) pixels.set([b, g, r], i * 3);
  const header = Buffer.alloc(54);
  header.write("BM", 0, "latin1");
  header.writeUInt32LE(54 + pixels.length, 2);
  header.writeUInt32LE(54, 10);
  header.writeUInt32LE(40, 14);
  header.writeInt32LE(8, 18);
  header.writeInt32LE(8, 22);
  header.writeUInt16LE(1, 26);
  header.writeUInt16LE(24, 28);
  header.writeUInt32LE(pixels.length, 34);
  return Buffer.concat([header, pixels]);
}

function solidPpm(r, g, b) {
  const pixels = Buffer.alloc(8 * 8 * 3);
  for (let i = 0; i < 64; ++i) pixels.set([r, g, b], i * 3);
  return Buffer.concat([Buffer.from("P6\n8 8\n255\n", "latin1"), pixels]);
}

function solidTga(r, g, b) {
  // Uncompressed true colour, 32 bits with 8 alpha bits, top-left origin.
  const header = Buffer.alloc(18);
  header[2] = 2;
  header.writeUInt16LE(8, 12);
  header.writeUInt16LE(8, 14);
  header[16] = 32;
  header[17] = 0x28;
  const pixels = Buffer.alloc(8 * 8 * 4);
  for (let i = 0; i < 64; ++i) pixels.set([b, g, r, 255], i * 4);
  return Buffer.concat([header, pixels]);
}

function solidDxt1(colour565) {
  const header = Buffer.alloc(128);
  header.write("DDS ", 0, "latin1");
  header.writeUInt32LE(124, 4);
  header.writeUInt32LE(0x81007, 8);  // caps, height, width, pixel format, linear size
  header.writeUInt32LE(8, 12);
  header.writeUInt32LE(8, 16);
  header.writeUInt32LE(32, 20);
  header.writeUInt32LE(32, 76);  // pixel format size
  header.writeUInt32LE(4, 80);   // four-character code
  header.write("DXT1", 84, "latin1");
  header.writeUInt32LE(0x1000, 108);  // texture
  const block = Buffer.alloc(8);
  block.writeUInt16LE(colour565, 0);
  block.writeUInt16LE(colour565, 2);
  return Buffer.concat([header, block, block, block, block]);
}

// The colours the quadrants' textures hold, as 8-bit RGB. The DXT1 colour is
// exact in 5:6:5.
export const QUAD_COLOURS = {
  "RED.BMP": [200, 40, 40],
  "GREEN.PPM": [40, 180, 60],
  "BLUE.TGA": [50, 70, 210],
  "YELLOW.DDS": [255, 255, 0],
};

// Four squares, one per texture file format, seen straight on from a pose
// that the path holds for `records` frames before its end marker.
export function writeQuadLevel(dir, records, fill = "SOLID") {
  mkdirSync(dir, { recursive: true });
  const names = Object.keys(QUAD_COLOURS);
  const quadrants = [[-10, 0], [0, 0], [-10, -10], [0, -10]];
  const lines = [];
  quadrants.forEach(([x, y], t) => {
    const a = `${x} ${y} 0`, b = `${x + 10} ${y} 0`, c = `${x + 10} ${y + 10} 0`, d = `${x} ${y + 10} 0`;
    lines.push(`${a}  ${b}  ${c}  ${t}  0 1 1 1 1 0`);
    lines.push(`${a}  ${c}  ${d}  ${t}  0 1 1 0 0 0`);
  });
  const map = `${names.length}\n${names.join("\n")}\n${lines.length}\n${lines.join("\n")}\n`;
  const path = "x 0 0 -24 0 0 0\n".repeat(records) + "T\n";
  writeFileSync(join(dir, "GAME.CFG"), config(fill));
  writeFileSync(join(dir, "MAP.MBM"), map);
  writeFileSync(join(dir, "RC.DEM"), path);
  writeFileSync(join(dir, "RED.BMP"), solidBmp(...QUAD_COLOURS["RED.BMP"]));
  writeFileSync(join(dir, "GREEN.PPM"), solidPpm(...QUAD_COLOURS["GREEN.PPM"]));
  writeFileSync(join(dir, "BLUE.TGA"), solidTga(...QUAD_COLOURS["BLUE.TGA"]));
  writeFileSync(join(dir, "YELLOW.DDS"), solidDxt1(0xffe0));
  return ["GAME.CFG", "MAP.MBM", "RC.DEM", ...names];
}

export function pack(orvikPack, out, dir, members) {
  execFileSync(orvikPack, ["create", out, ...members.map((m) => join(dir, m))], { stdio: "pipe" });
  return readFileSync(out);
}
