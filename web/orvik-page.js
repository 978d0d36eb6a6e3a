// The page around the viewer: it makes one viewer module per playback, gives it
// the package in its in-memory working directory, shows its message boxes and
// frames, and offers to play again when the level has ended.
// window.orvikState tells tests (and the curious) what happened.
"use strict";

(function () {
  const $ = (id) => document.getElementById(id);
  const state = (window.orvikState = {
    phase: "idle",      // idle, loading, playing, ended, failed
    frames: 0,          // frames presented in this playback
    exitCode: null,
    messages: [],       // message boxes: {caption, text}
    log: [],            // the viewer's standard output and error
    leftFiles: null,    // the working directory after the viewer ended
    firstFrameMs: null, // from opening the page to the first frame of the first playback
    startedMs: null,    // when this playback's module was made
    endedMs: null,      // when it ended
    playbacks: 0,
    module: null,       // the running (or last) viewer module
  });

  let wasmModule = null;      // compiled once, instantiated per playback
  let currentPackage = null;  // {name, bytes}
  let current = null;         // the running module
  let boxResolve = null;

  function setStatus(text) { $("status").textContent = text; }

  function log(line) {
    state.log.push(line);
    const pre = $("log");
    pre.textContent += line + "\n";
    pre.scrollTop = pre.scrollHeight;
  }

  // A message box of the viewer: shown over the picture until OK is pressed.
  function messageBox(caption, text) {
    state.messages.push({ caption, text });
    $("box-caption").textContent = caption;
    $("box-text").textContent = text;
    $("box").hidden = false;
    $("box-ok").focus();
    return new Promise((resolve) => { boxResolve = resolve; });
  }

  $("box-ok").addEventListener("click", () => {
    $("box").hidden = true;
    const resolve = boxResolve;
    boxResolve = null;
    if (resolve) resolve();
    const canvas = $("canvas");
    if (canvas) canvas.focus();
  });

  // Each playback gets a fresh canvas: a WebGL context stays with its canvas.
  function freshCanvas() {
    const old = $("canvas");
    const canvas = document.createElement("canvas");
    canvas.id = "canvas";
    canvas.width = old ? old.width : 640;
    canvas.height = old ? old.height : 480;
    canvas.tabIndex = -1;
    canvas.addEventListener("contextmenu", (e) => e.preventDefault());
    if (old) old.replaceWith(canvas);
    else $("screen").appendChild(canvas);
    return canvas;
  }

  function compiledWasm() {
    if (!wasmModule) {
      wasmModule = WebAssembly.compileStreaming
        ? WebAssembly.compileStreaming(fetch("orvik.wasm"))
        : fetch("orvik.wasm").then((r) => r.arrayBuffer()).then((b) => WebAssembly.compile(b));
    }
    return wasmModule;
  }

  function listWorkingDirectory(module) {
    try {
      return module.FS.readdir("/work").filter((n) => n !== "." && n !== "..").sort();
    } catch (e) {
      return null;
    }
  }

  function finished(module, code) {
    if (current !== module || state.exitCode !== null) return;
    state.exitCode = code;
    state.endedMs = performance.now();
    stopAudio(module);
    state.leftFiles = listWorkingDirectory(module);
    state.phase = code === 0 ? "ended" : "failed";
    $("ended-text").textContent = code === 0 ? "The level has ended." : "The level could not be played.";
    $("ended").hidden = false;
    $("play-again").focus();
    setStatus(code === 0 ? `Played ${currentPackage.name}: ${state.frames} frames.`
                         : `${currentPackage.name} could not be played (exit code ${code}).`);
  }

  async function play(pkg, args) {
    currentPackage = pkg;
    $("ended").hidden = true;
    $("box").hidden = true;
    // A playback still under way stops at its next frame or stays in its box.
    boxResolve = null;
    stopAudio(current);
    state.phase = "loading";
    state.frames = 0;
    state.exitCode = null;
    state.leftFiles = null;
    state.messages = [];
    state.playbacks += 1;
    state.startedMs = performance.now();
    state.endedMs = null;
    setStatus(`Starting ${pkg.name}…`);
    const canvas = freshCanvas();
    const compiled = await compiledWasm();
    let module = null;
    const options = {
      canvas,
      arguments: args,
      noExitRuntime: false,
      print: (text) => log(text),
      printErr: (text) => log(text),
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
        return {};
      },
      preRun: [(m) => {
        m.FS.mkdir("/work");
        m.FS.writeFile("/work/DATA.MBP", pkg.bytes);
        m.FS.chdir("/work");
        // The canvas is the window; the page offers full screen itself.
        m.ENV.ORVIK_WINDOWED = "1";
        // Tests may ask for the platform settings of the desktop build, such
        // as ORVIK_CAPTURE_DIR (a folder of the in-memory file system).
        const extra = window.orvikTestEnv || {};
        for (const [name, value] of Object.entries(extra)) {
          m.ENV[name] = String(value);
          if (name === "ORVIK_CAPTURE_DIR") m.FS.mkdirTree(String(value));
        }
      }],
      orvikPage: {
        frame: () => {
          if (current !== module) return false;
          state.frames += 1;
          if (state.frames === 1) {
            state.phase = "playing";
            setStatus(`Playing ${pkg.name}.`);
            if (state.firstFrameMs === null) state.firstFrameMs = performance.now();
          }
        },
        messageBox: (caption, text) => (current === module ? messageBox(caption, text) : new Promise(() => {})),
        exited: (code) => finished(module, code),
      },
      onExit: (code) => finished(module, code),
      onAbort: (what) => { log(`aborted: ${what}`); finished(module, 1); },
    };
    // The options object becomes the module itself.
    module = options;
    current = module;
    state.module = module;
    createOrvik(options);
  }

  function playBytes(name, bytes, args) {
    play({ name, bytes: new Uint8Array(bytes) }, args || []);
  }

  async function fetchPackage(url, name) {
    setStatus(`Loading ${name}…`);
    const response = await fetch(url);
    if (!response.ok) throw new Error(`${name}: ${response.status} ${response.statusText}`);
    return response.arrayBuffer();
  }

  async function playUrl(url, name) {
    try {
      playBytes(name, await fetchPackage(url, name));
    } catch (e) {
      state.phase = "failed";
      setStatus(`Cannot load ${name}: ${e.message}`);
    }
  }

  function playFile(file) {
    if (!file) return;
    file.arrayBuffer().then((bytes) => playBytes(file.name, bytes));
  }

  function stopAudio(module) {
    const sdl = module && module.SDL2;
    if (sdl && sdl.audioContext && sdl.audioContext.state !== "closed") sdl.audioContext.close();
  }

  // SDL's audio starts suspended until the person has interacted with the page.
  function resumeAudio() {
    const sdl = current && current.SDL2;
    if (sdl && sdl.audioContext && sdl.audioContext.state === "suspended") sdl.audioContext.resume();
  }
  for (const kind of ["pointerdown", "keydown", "touchend"]) document.addEventListener(kind, resumeAudio, true);

  $("play-sample").addEventListener("click", () => playUrl("sample/DATA.MBP", "the sample level"));
  $("package-file").addEventListener("change", (e) => playFile(e.target.files[0]));
  $("ver").addEventListener("click", () => {
    if (currentPackage) play(currentPackage, ["VER"]);
  });
  $("play-again").addEventListener("click", () => { if (currentPackage) play(currentPackage, []); });
  $("fullscreen").addEventListener("click", () => {
    const screen = $("screen");
    if (screen.requestFullscreen) screen.requestFullscreen().catch(() => {});
  });

  document.addEventListener("dragover", (e) => { e.preventDefault(); document.body.classList.add("dragging"); });
  document.addEventListener("dragleave", () => document.body.classList.remove("dragging"));
  document.addEventListener("drop", (e) => {
    e.preventDefault();
    document.body.classList.remove("dragging");
    if (e.dataTransfer && e.dataTransfer.files.length > 0) playFile(e.dataTransfer.files[0]);
  });

  // ?package=NAME plays a package served beside the page; else the sample level.
  // Only a plain file name is taken, so a shared link cannot point elsewhere.
  const wanted = new URLSearchParams(location.search).get("package");
  if (wanted === null) {
    playUrl("sample/DATA.MBP", "the sample level");
  } else if (/^[A-Za-z0-9_][A-Za-z0-9_.-]*$/.test(wanted)) {
    playUrl(encodeURIComponent(wanted), wanted);
  } else {
    state.phase = "failed";
    setStatus(`"${wanted}" is not the name of a package beside this page.`);
  }
})();
