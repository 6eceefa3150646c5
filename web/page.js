// The page around a program of the browser build: it checks that the browser's WebGL 2 has what
// the frame needs, shows the progress while the data loads and a clear line when something stops
// the game, and sends the game's lines to the console, where a terminal shows them on the desktop.
// The game's own input (keys, the pointer's capture, Escape, F12's download) is its back end's.
'use strict';

// Beyond WebGL 2 the frame draws the shadow map into float targets and filters it linearly.
const requiredExtensions = ['EXT_color_buffer_float', 'OES_texture_float_linear'];

// What stops the game from drawing here, or '' when nothing does.
function graphicsProblem() {
    const gl = document.createElement('canvas').getContext('webgl2');
    if (!gl) {
        return 'This browser offers no WebGL 2, which Vantor needs to draw.';
    }
    const missing = requiredExtensions.filter((name) => !gl.getExtension(name));
    const probe = gl.getExtension('WEBGL_lose_context');
    if (probe) {
        probe.loseContext();
    }
    if (missing.length > 0) {
        return "This browser's WebGL 2 lacks " + missing.join(' and ') +
            ', which Vantor needs to draw.';
    }
    return '';
}

function megabytes(bytes) {
    return (bytes / 1e6).toFixed(1) + ' MB';
}

// Starts `program` (the JavaScript file of a build's program) with the given arguments. The page
// reports in window.vantorPage: frames drawn, the time of the first one, and the program's lines.
function startVantor(program, args) {
    const status = document.getElementById('status');
    const hint = document.getElementById('hint');
    const canvas = document.getElementById('canvas');
    const page = { frames: 0, firstFrameMs: null, lines: [], stopped: null };
    window.vantorPage = page;

    function show(text, isError) {
        status.textContent = text;
        status.className = isError ? 'error' : '';
        status.hidden = text === '';
    }
    function stop(reason) {
        page.stopped = reason;
        show('Vantor stopped: ' + reason, true);
        hint.hidden = true;
    }

    const problem = graphicsProblem();
    if (problem) {
        page.stopped = problem;
        show(problem, true);
        hint.hidden = true;
        return;
    }
    hint.hidden = true;
    document.addEventListener('pointerlockchange', () => {
        hint.hidden = document.pointerLockElement === canvas || page.stopped !== null;
    });

    window.Module = {
        canvas: canvas,
        arguments: args,
        print(line) {
            page.lines.push(line);
            console.log(line);
        },
        printErr(line) {
            console.warn(line);
        },
        // The data package reports its download as "(loaded/total)".
        setStatus(text) {
            const progress = /\((\d+)\/(\d+)\)/.exec(text);
            if (progress) {
                const loaded = Number(progress[1]);
                const total = Number(progress[2]);
                show('Loading Vantor: ' + Math.floor((100 * loaded) / total) + ' % of ' +
                    megabytes(total));
            }
        },
        onRuntimeInitialized() {
            show('Starting Vantor…');
        },
        postMainLoop() {
            page.frames += 1;
            if (page.frames === 1) {
                page.firstFrameMs = performance.now();
                show('');
                hint.hidden = document.pointerLockElement === canvas;
            }
        },
        // A fatal start-up error has printed its line last.
        onExit(code) {
            if (code !== 0) {
                stop(page.lines.length > 0 ? page.lines[page.lines.length - 1] :
                    'exit status ' + code);
            }
        },
        onAbort(what) {
            stop(String(what));
        },
    };

    const script = document.createElement('script');
    script.src = program;
    script.onerror = () => stop('could not load ' + program);
    document.body.appendChild(script);
}
