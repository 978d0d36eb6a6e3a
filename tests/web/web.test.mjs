// The web build in headless Chromium: the sample level plays to its end, frames
// match the Linux build's, damaged packages are reported, and the page fits
// narrow and wide windows. Needs build-web/site (scripts/build-web) and the Linux
// build's orvik, orvik-pack and orvik-sample (scripts/build).
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { createServer } from "node:http";
import { mkdtempSync, readFileSync, writeFileSync, existsSync, rmSync, readdirSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve, extname, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";
import { writeQuadLevel, pack, QUAD_COLOURS } from "./levels.mjs";

const root = resolve(dirname(fileURLToPath(import.meta.url)), "../..");
const site = process.env.ORVIK_WEB_SITE || join(root, "build-web/site");
const native = process.env.ORVIK_BUILD_DIR || join(root, "build");
const viewer = join(native, "shell/orvik");
const orvikPack = join(native, "tools/orvik-pack/orvik-pack");
const orvikSample = join(native, "tools/orvik-sample/orvik-sample");

const work = mkdtempSync(join(tmpdir(), "orvik-web-test-"));
const served = join(work, "served");  // extra packages, served beside the page
let server, base, browser;

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm" };

function serve() {
  return new Promise((done) => {
    server = createServer((request, response) => {
      const name = decodeURIComponent(new URL(request.url, "http://x").pathname).replace(/^\/+/, "") || "index.html";
      const file = [join(site, name), join(served, name)].find((f) => !name.includes("..") && existsSync(f));
      if (!file) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, { "content-type": types[extname(file)] || "application/octet-stream" });
      response.end(readFileSync(file));
    });
    server.listen(0, "127.0.0.1", () => {
      base = `http://127.0.0.1:${server.address().port}/`;
      done();
    });
  });
}

// Runs the Linux viewer headless in a fresh directory and returns its saved frames.
function linuxFrames(packageBytes, env) {
  const dir = mkdtempSync(join(work, "linux-"));
  const frames = join(dir, "frames");
  execFileSync("mkdir", ["-p", frames]);
  writeFileSync(join(dir, "DATA.MBP"), packageBytes);
  execFileSync(viewer, [], {
    cwd: dir,
    stdio: "pipe",
    timeout: 120000,
    env: { ...process.env, SDL_VIDEODRIVER: "offscreen", SDL_AUDIODRIVER: "dummy", ORVIK_CAPTURE_DIR: frames, ...env },
  });
  const out = {};
  for (const name of readdirSync(frames)) out[name] = readFileSync(join(frames, name));
  return out;
}

async function openPage(url, { width = 1000, height = 800, env = null } = {}) {
  const page = await browser.newPage({ viewport: { width, height } });
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  if (env) await page.addInitScript((e) => { window.orvikTestEnv = e; }, env);
  await page.goto(base + url);
  page.errors = errors;
  return page;
}

async function waitFor(page, phases, timeout = 240000) {
  await page.waitForFunction((p) => p.includes(window.orvikState.phase), phases, { timeout });
  return page.evaluate(() => {
    const s = window.orvikState;
    return { phase: s.phase, frames: s.frames, exitCode: s.exitCode, messages: s.messages, leftFiles: s.leftFiles,
             firstFrameMs: s.firstFrameMs, startedMs: s.startedMs, endedMs: s.endedMs };
  });
}

// The frames the web viewer saved in its in-memory file system, as base64 PNG.
function webFrames(page, dir) {
  return page.evaluate((d) => {
    const fs = window.orvikState.module.FS;
    const out = {};
    for (const name of fs.readdir(d)) {
      if (!name.endsWith(".png")) continue;
      const bytes = fs.readFile(`${d}/${name}`);
      let text = "";
      for (const b of bytes) text += String.fromCharCode(b);
      out[name] = btoa(text);
    }
    return out;
  }, dir);
}

// Decodes two PNG files in the page and compares them: the mean and largest
// channel difference, over all pixels or, with skipEdges, only where the first
// picture is uniform over a 5 x 5 neighbourhood (rasterisers may differ by a
// pixel along an edge).
function comparePngs(page, a, b, skipEdges = false) {
  return page.evaluate(async ([a, b, skipEdges]) => {
    async function pixels(base64) {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const bitmap = await createImageBitmap(new Blob([bytes], { type: "image/png" }),
                                             { colorSpaceConversion: "none", premultiplyAlpha: "none" });
      const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
      const context = canvas.getContext("2d");
      context.drawImage(bitmap, 0, 0);
      return { width: bitmap.width, height: bitmap.height, data: context.getImageData(0, 0, bitmap.width, bitmap.height).data };
    }
    const p = await pixels(a), q = await pixels(b);
    if (p.width !== q.width || p.height !== q.height) return { sizeDiffers: true, a: [p.width, p.height], b: [q.width, q.height] };
    const uniform = (x, y) => {
      const at = (y * p.width + x) * 4;
      for (let dy = -2; dy <= 2; ++dy)
        for (let dx = -2; dx <= 2; ++dx) {
          const xx = x + dx, yy = y + dy;
          if (xx < 0 || yy < 0 || xx >= p.width || yy >= p.height) return false;
          const o = (yy * p.width + xx) * 4;
          for (let c = 0; c < 3; ++c) if (Math.abs(p.data[o + c] - p.data[at + c]) > 2) return false;
        }
      return true;
    };
    let sum = 0, count = 0, largest = 0, where = null;
    for (let y = 0; y < p.height; ++y)
      for (let x = 0; x < p.width; ++x) {
        if (skipEdges && !uniform(x, y)) continue;
        const o = (y * p.width + x) * 4;
        for (let c = 0; c < 3; ++c) {
          const d = Math.abs(p.data[o + c] - q.data[o + c]);
          sum += d;
          ++count;
          if (d > largest) { largest = d; where = [x, y, c]; }
        }
      }
    return { mean: sum / count, largest, where, compared: count / 3, width: p.width, height: p.height };
  }, [a, b, skipEdges]);
}

before(async () => {
  execFileSync("mkdir", ["-p", served]);
  await serve();
  browser = await chromium.launch({
    executablePath: process.env.ORVIK_CHROMIUM || "/usr/bin/chromium",
    args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--ignore-gpu-blocklist", "--no-sandbox"],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  rmSync(work, { recursive: true, force: true });
});

test("the sample level plays to its end marker, one frame per path record, and its files are deleted", async () => {
  const page = await openPage("");
  const ended = await waitFor(page, ["ended", "failed"]);
  assert.equal(ended.phase, "ended");
  assert.equal(ended.exitCode, 0);
  // 720 records and the end marker: the first frame shows the initial pose.
  assert.equal(ended.frames, 721);
  assert.deepEqual(ended.leftFiles, ["DATA.MBP"]);
  const seconds = (ended.endedMs - ended.startedMs) / 1000;
  console.log(`sample level: first frame ${Math.round(ended.firstFrameMs)} ms after opening the page; ` +
              `${ended.frames} frames in ${seconds.toFixed(1)} s (${(ended.frames / seconds).toFixed(1)} frames a second)`);
  assert.ok(await page.isVisible("#play-again"));
  assert.deepEqual(page.errors, []);
  // Play again: a fresh module plays it once more from the start.
  await page.click("#play-again");
  await page.waitForFunction(() => window.orvikState.playbacks === 2 && window.orvikState.frames > 10);
  await page.close();
});

test("frames of the sample level differ from the Linux build's by at most 3 levels on average", async () => {
  const sampleDir = mkdtempSync(join(work, "sample-"));
  execFileSync(orvikSample, ["--pack", join(sampleDir, "DATA.MBP")], { stdio: "pipe" });
  const bytes = readFileSync(join(sampleDir, "DATA.MBP"));
  const env = { ORVIK_CAPTURE_EVERY: "120", ORVIK_CLOSE_AFTER_FRAMES: "361" };
  const linux = linuxFrames(bytes, env);
  const page = await openPage("", { env: { ...env, ORVIK_CAPTURE_DIR: "/frames" } });
  await waitFor(page, ["ended", "failed"]);
  const web = await webFrames(page, "/frames");
  for (const name of ["frame-000121.png", "frame-000241.png", "frame-000361.png"]) {
    assert.ok(linux[name] && web[name], `${name} saved by both builds`);
    const result = await comparePngs(page, linux[name].toString("base64"), web[name]);
    console.log(`sample ${name}: mean difference ${result.mean.toFixed(2)}, largest ${result.largest}`);
    assert.ok(result.mean <= 3, `${name}: mean difference ${result.mean}`);
  }
  await page.close();
});

test("a held pose of the quad level shows each texture format's colour where the Linux build does", async () => {
  const dir = join(work, "quad");
  const members = writeQuadLevel(dir, 40);
  const bytes = pack(orvikPack, join(served, "QUAD.MBP"), dir, members);
  const env = { ORVIK_CAPTURE_EVERY: "20" };
  const linux = linuxFrames(bytes, env);
  const page = await openPage("?package=QUAD.MBP", { env: { ...env, ORVIK_CAPTURE_DIR: "/frames" } });
  const ended = await waitFor(page, ["ended", "failed"]);
  assert.equal(ended.exitCode, 0);
  assert.equal(ended.frames, 41);
  const web = await webFrames(page, "/frames");
  const name = "frame-000021.png";
  const result = await comparePngs(page, linux[name].toString("base64"), web[name], true);
  console.log(`quad level: largest difference ${result.largest} over ${result.compared} pixels`);
  assert.ok(result.compared > 0.5 * result.width * result.height);
  assert.ok(result.largest <= 8, `pixel ${result.where} off by ${result.largest}`);
  // And the picture holds every colour at all (not, say, all black in both).
  const colours = await page.evaluate(async (png) => {
    const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext("2d");
    context.drawImage(bitmap, 0, 0);
    const at = (fx, fy) => Array.from(context.getImageData(Math.floor(bitmap.width * fx), Math.floor(bitmap.height * fy), 1, 1).data.slice(0, 3));
    return [at(0.42, 0.42), at(0.58, 0.42), at(0.42, 0.58), at(0.58, 0.58)];
  }, web[name]);
  const expected = Object.values(QUAD_COLOURS);
  colours.forEach((c, i) => c.forEach((v, k) => assert.ok(Math.abs(v - expected[i][k]) <= 8, `quadrant ${i}: ${c}`)));
  await page.close();
});

// Counts, in a saved frame, the pixels within 8 of each quadrant's colour, and
// reads the centre of each quadrant.
function quadrantPixels(page, png) {
  return page.evaluate(async ([png, colours]) => {
    const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext("2d");
    context.drawImage(bitmap, 0, 0);
    const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const counts = colours.map(() => 0);
    for (let i = 0; i < data.length; i += 4)
      colours.forEach((c, k) => {
        if (Math.abs(data[i] - c[0]) <= 8 && Math.abs(data[i + 1] - c[1]) <= 8 && Math.abs(data[i + 2] - c[2]) <= 8) ++counts[k];
      });
    const at = (fx, fy) => {
      const o = (Math.floor(bitmap.height * fy) * bitmap.width + Math.floor(bitmap.width * fx)) * 4;
      return [data[o], data[o + 1], data[o + 2]];
    };
    return { counts, centres: [at(0.4, 0.35), at(0.6, 0.35), at(0.4, 0.65), at(0.6, 0.65)] };
  }, [png, Object.values(QUAD_COLOURS)]);
}

test("wireframe and point fill draw the quad level's edges and corners only, as the Linux build does", async () => {
  for (const fill of ["WIREFRAME", "POINTS"]) {
    const dir = join(work, `quad-${fill}`);
    const members = writeQuadLevel(dir, 25, fill);
    const bytes = pack(orvikPack, join(served, `QUAD-${fill}.MBP`), dir, members);
    const env = { ORVIK_CAPTURE_EVERY: "20" };
    const linux = linuxFrames(bytes, env);
    const page = await openPage(`?package=QUAD-${fill}.MBP`, { env: { ...env, ORVIK_CAPTURE_DIR: "/frames" } });
    const ended = await waitFor(page, ["ended", "failed"]);
    assert.equal(ended.exitCode, 0);
    const web = await webFrames(page, "/frames");
    const name = "frame-000021.png";
    const expected = await quadrantPixels(page, linux[name].toString("base64"));
    const shown = await quadrantPixels(page, web[name]);
    console.log(`${fill}: pixels of each colour, Linux ${expected.counts}, web ${shown.counts}`);
    shown.counts.forEach((count, k) => {
      assert.ok(count > 0, `${fill}: quadrant ${k} drawn`);
      // Lines and points are one pixel wide either way; a filled square would
      // hold thousands of pixels.
      assert.ok(Math.abs(count - expected.counts[k]) <= Math.max(8, expected.counts[k] * 0.25),
                `${fill}: quadrant ${k} has ${count} pixels against ${expected.counts[k]}`);
    });
    // Inside each square only the background shows.
    shown.centres.forEach((c, k) => assert.deepEqual(c, [10, 20, 30], `${fill}: centre of quadrant ${k}`));
    await page.close();
  }
});

test("damaged packages show the viewer's message on the page and end cleanly", async () => {
  const dir = join(work, "damaged");
  const members = writeQuadLevel(dir, 5);
  // A package without its camera path, and one of bytes that are no package.
  pack(orvikPack, join(served, "NOPATH.MBP"), dir, members.filter((m) => m !== "RC.DEM"));
  writeFileSync(join(served, "NOISE.MBP"), Buffer.from("\xff\xff\xff\x7fnot a package at all", "latin1"));
  for (const [file, missing] of [["NOPATH.MBP", "RC.DEM"], ["NOISE.MBP", "GAME.CFG"]]) {
    const page = await openPage(`?package=${file}`);
    await page.waitForSelector("#box:not([hidden])");
    const text = await page.textContent("#box-text");
    assert.match(text, new RegExp(`Nie mozna otworzyc lub odczytac pliku ${missing.replace(".", "\\.")}`));
    assert.equal(await page.textContent("#box-caption"), "Orvik - blad");
    await page.click("#box-ok");
    const ended = await waitFor(page, ["ended", "failed"]);
    assert.equal(ended.phase, "failed");
    assert.equal(ended.exitCode, 1);
    assert.deepEqual(ended.leftFiles, ["DATA.MBP"]);
    await page.close();
  }
  // A name that is not a plain file beside the page is not fetched.
  const page = await openPage("?package=../secret");
  await page.waitForFunction(() => window.orvikState.phase === "failed");
  assert.match(await page.textContent("#status"), /not the name of a package/);
  await page.close();
});

test("a package chosen with the file picker or dropped on the page plays in place of the sample", async () => {
  const dir = join(work, "picked");
  const file = join(work, "PICKED.MBP");
  pack(orvikPack, file, dir, writeQuadLevel(dir, 12));
  const page = await openPage("");
  await page.waitForFunction(() => window.orvikState.frames > 5);
  await page.setInputFiles("#package-file", file);
  await page.waitForFunction(() => window.orvikState.playbacks === 2);
  let ended = await waitFor(page, ["ended", "failed"]);
  assert.equal(ended.exitCode, 0);
  assert.equal(ended.frames, 13);
  assert.match(await page.textContent("#status"), /PICKED\.MBP/);
  // Dropped: the same bytes arrive through a drop event.
  const bytes = readFileSync(file).toString("base64");
  await page.evaluate((b64) => {
    const data = new DataTransfer();
    data.items.add(new File([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], "DROPPED.MBP"));
    document.body.dispatchEvent(new DragEvent("drop", { dataTransfer: data, bubbles: true, cancelable: true }));
  }, bytes);
  await page.waitForFunction(() => window.orvikState.playbacks === 3);
  ended = await waitFor(page, ["ended", "failed"]);
  assert.equal(ended.frames, 13);
  assert.match(await page.textContent("#status"), /DROPPED\.MBP/);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test("VER shows the information box before the level plays", async () => {
  const page = await openPage("");
  await page.waitForFunction(() => window.orvikState.frames > 5);
  await page.click("#ver");
  await page.waitForSelector("#box:not([hidden])");
  assert.equal(await page.textContent("#box-caption"), "Orvik info");
  assert.match(await page.textContent("#box-text"), /Wersja: 1\.1/);
  const before = await page.evaluate(() => window.orvikState.frames);
  assert.equal(before, 0);
  await page.click("#box-ok");
  await page.waitForFunction(() => window.orvikState.frames > 5);
  await page.close();
});

for (const [label, width, height] of [["narrow", 360, 640], ["wide", 1920, 1080]]) {
  test(`the page fits a ${label} window with the picture's shape kept`, async () => {
    const page = await openPage("", { width, height });
    await page.waitForFunction(() => window.orvikState.frames > 5);
    const layout = await page.evaluate(() => {
      const r = document.getElementById("canvas").getBoundingClientRect();
      const buttons = [...document.querySelectorAll("nav button, nav .button")].map((b) => b.getBoundingClientRect());
      return { canvas: [r.left, r.top, r.width, r.height], scrollWidth: document.documentElement.scrollWidth,
               innerWidth: window.innerWidth, innerHeight: window.innerHeight,
               buttons: buttons.map((b) => [b.left, b.right, b.width]) };
    });
    const [left, top, w, h] = layout.canvas;
    assert.ok(layout.scrollWidth <= layout.innerWidth, "no sideways scrolling");
    assert.ok(left >= 0 && left + w <= layout.innerWidth + 0.5, "the picture lies inside the window");
    assert.ok(top + h <= layout.innerHeight, "the picture lies above the window's bottom");
    assert.ok(Math.abs(w / h - 4 / 3) < 0.02, `shape ${w} x ${h}`);
    assert.ok(w >= Math.min(320, layout.innerWidth - 20), "the picture is not tiny");
    for (const [l, r] of layout.buttons) assert.ok(l >= 0 && r <= layout.innerWidth, "every button is reachable");
    await page.screenshot({ path: join(work, `page-${label}.png`) });
    if (process.env.ORVIK_WEB_SHOTS) await page.screenshot({ path: join(process.env.ORVIK_WEB_SHOTS, `page-${label}.png`) });
    await page.close();
  });
}
