// The page: the main dialog built from the window's template, the file pickers, the run handed
// to the worker, the captions in the title, and the About box. PAGE_TEXTS comes from the
// window's resources at build time.
'use strict';

const texts = PAGE_TEXTS;
const { IDOK, IDC_SOURCE_PATH, IDC_RUN, IDC_CHOOSE_SOURCE, IDC_DEST_PATH, IDC_CHOOSE_DEST,
    IDC_VALUE, IDC_STEP, IDC_START, IDC_SLIDE, IDC_RANDOMIZE } = texts.ids;
// The boxes in the window's order of exchange, which is also the worker's.
const NUMBER_BOXES = [IDC_STEP, IDC_VALUE, IDC_START, IDC_SLIDE];
// The search for forgotten settings, which the window has not: the page's own words, with %1, %2
// for what each names.
const format = (text, ...values) => text.replace(/%(\d)/g, (_, n) => String(values[n - 1]));
const SEARCH = {
    find: texts.search.find,
    searching: (seconds) => format(texts.search.searching, seconds),
    confirmed: texts.search.confirmed,
    probable: texts.search.probable,
    several: (count) => format(texts.search.several, count),
    nothing: texts.search.nothing,
    timedOut: (seconds) => format(texts.search.timedOut, seconds),
    laterBeginnings: (count) => format(texts.search.laterBeginnings, count),
    settings: (answer) => format(texts.search.settings, answer.value, answer.step, answer.start,
        answer.slide) + (answer.randomize ? texts.search.randomized : ''),
    checksums: (answer) => format(texts.search.checksums, answer.kind, answer.checksums),
    structure: (answer) => format(texts.search.structure, answer.kind),
    use: texts.search.use,
};
const canSaveInPlace = typeof window.showSaveFilePicker === 'function';

// Dialog units to pixels from the dialog font, as the window computes them: a quarter of the
// average width of the 52 letters across, an eighth of the font's height down.
function dialogBaseUnits(pointSize) {
    const fontPixels = Math.round(pointSize * 96 / 72);
    const context = document.createElement('canvas').getContext('2d');
    context.font = `${fontPixels}px ${getComputedStyle(document.body).fontFamily}`;
    const alphabet = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz';
    return { width: Math.round(context.measureText(alphabet).width / 52), height: fontPixels };
}

function place(element, [x, y, cx, cy], units) {
    element.style.left = `${Math.round(x * units.width / 4)}px`;
    element.style.top = `${Math.round(y * units.height / 8)}px`;
    element.style.width = `${Math.round(cx * units.width / 4)}px`;
    element.style.height = `${Math.round(cy * units.height / 8)}px`;
}

function element(tag, className, text) {
    const created = document.createElement(tag);
    if (className) created.className = className;
    if (text !== undefined) created.textContent = text;
    return created;
}

function iconImage() {
    const image = element('img', 'icon');
    image.src = `data:image/png;base64,${texts.icon}`;
    image.alt = '';
    return image;
}

// A window frame with a title bar; the client area holds the template's controls.
function buildFrame(template, className) {
    const frame = element('section', `frame ${className}`);
    const titleBar = element('header', 'title-bar');
    const title = element('span', 'title', template.caption);
    titleBar.append(title);
    const client = element('div', 'client');
    const units = dialogBaseUnits(template.pointSize);
    place(client, [0, 0, template.rect[2], template.rect[3]], units);
    client.style.position = 'relative';
    client.style.left = client.style.top = '';
    const controls = new Map();
    const madeControls = [];
    for (const control of template.controls) {
        let made;
        switch (control.kind) {
            case 'edit':
                made = element('input', 'edit');
                made.type = 'text';
                made.spellcheck = false;
                made.autocomplete = 'off';
                break;
            case 'button':
            case 'defaultButton':
                made = element('button', control.kind === 'defaultButton' ? 'default' : '',
                    control.text);
                made.type = 'button';
                break;
            case 'checkBox': {
                made = element('label', 'check-box');
                const box = element('input');
                box.type = 'checkbox';
                made.append(box, element('span', '', control.text));
                break;
            }
            case 'icon':
                made = iconImage();
                break;
            default:
                made = element('label', 'label', control.text);
        }
        made.classList.add('control');
        place(made, control.rect, units);
        client.append(made);
        if (control.id !== -1) controls.set(control.id, made);
        madeControls.push(made);
    }
    // An edit box is named after the label above it, as in the window; a click on the label
    // focuses the box.
    template.controls.forEach((control, i) => {
        if (control.labelledBy === undefined) return;
        madeControls[i].id = `control-${control.id}`;
        madeControls[control.labelledBy].htmlFor = madeControls[i].id;
    });
    frame.append(titleBar, client);
    return { frame, titleBar, title, client, controls };
}

// A modal box over the page; resolves when it closes.
function showModal(frame, focusTarget) {
    const dialog = element('dialog', 'modal');
    dialog.append(frame);
    document.body.append(dialog);
    dialog.showModal();
    focusTarget?.focus();
    return new Promise((resolve) => {
        dialog.addEventListener('close', () => {
            dialog.remove();
            resolve();
        });
    });
}

// The framework's message box: the program's name as caption, the text, and OK.
function messageBox(text) {
    const frame = element('section', 'frame message-box');
    const titleBar = element('header', 'title-bar');
    titleBar.append(element('span', 'title', texts.productName));
    const body = element('div', 'message-body');
    body.append(element('span', 'exclamation', '!'), element('p', 'message-text', text));
    const ok = element('button', 'default', 'OK');
    ok.type = 'button';
    const buttons = element('div', 'message-buttons');
    buttons.append(ok);
    frame.append(titleBar, body, buttons);
    frame.setAttribute('role', 'alertdialog');
    const shown = showModal(frame, ok);
    ok.addEventListener('click', () => frame.closest('dialog').close());
    return shown;
}

function showAbout() {
    const about = buildFrame(texts.about, 'about-box');
    const ok = about.controls.get(IDOK);
    const shown = showModal(about.frame, ok);
    ok.addEventListener('click', () => about.frame.closest('dialog').close());
    return shown;
}

// The message for a file that could not be read or written, in the window's words: the browser's
// error names stand for the system's reasons they mean.
const REASONS = {
    NotFoundError: 'ENOENT',
    NotAllowedError: 'EACCES',
    SecurityError: 'EACCES',
    QuotaExceededError: 'ENOSPC',
    NotReadableError: 'changed',
};
function describeFileError(fileName, action, name, message) {
    const words = texts.fileErrors;
    if (name === 'NoModificationAllowedError') return words.busy.replace('%1', fileName);
    const reason = words.reasons[REASONS[name]] ?? `${name}: ${message}`;
    return `${(words[action] ?? words.convert).replace('%1', fileName)}\n${reason}`;
}

function main() {
    const dialog = buildFrame(texts.dialog, 'main-dialog');
    const control = (id) => dialog.controls.get(id);
    const sourceBox = control(IDC_SOURCE_PATH);
    const destBox = control(IDC_DEST_PATH);
    const randomizeBox = control(IDC_RANDOMIZE).querySelector('input');
    for (const id of NUMBER_BOXES) control(id).value = '0';
    sourceBox.readOnly = true;
    // Without a save dialog the box names the download, and may be edited.
    destBox.readOnly = canSaveInPlace;

    // The window menu: the icon opens it, as does the context menu anywhere in the dialog.
    const menuButton = element('button', 'system-menu-button');
    menuButton.type = 'button';
    menuButton.title = texts.productName;
    menuButton.append(iconImage());
    dialog.titleBar.prepend(menuButton);
    const menu = element('menu', 'system-menu');
    const aboutItem = element('button', 'menu-item');
    aboutItem.type = 'button';
    // "(&A)" marks the access key: shown underlined, as the window's menu shows it.
    const [before, after] = texts.aboutEntry.split('&');
    aboutItem.append(before, element('u', '', after.charAt(0)), after.slice(1));
    aboutItem.dataset.accessKey = after.charAt(0).toLowerCase();
    menu.append(aboutItem);
    menu.hidden = true;
    dialog.frame.append(menu);
    const closeMenu = () => {
        menu.hidden = true;
    };
    const openMenu = (x, y) => {
        menu.style.left = `${x}px`;
        menu.style.top = `${y}px`;
        menu.hidden = false;
        aboutItem.focus();
    };
    menuButton.addEventListener('click', () => {
        const frameBox = dialog.frame.getBoundingClientRect();
        const box = menuButton.getBoundingClientRect();
        openMenu(box.left - frameBox.left, box.bottom - frameBox.top);
    });
    dialog.frame.addEventListener('contextmenu', (event) => {
        event.preventDefault();
        const frameBox = dialog.frame.getBoundingClientRect();
        openMenu(event.clientX - frameBox.left, event.clientY - frameBox.top);
    });
    aboutItem.addEventListener('click', () => {
        closeMenu();
        showAbout();
    });
    menu.addEventListener('keydown', (event) => {
        if (event.key === 'Escape') closeMenu();
        if (event.key.toLowerCase() === aboutItem.dataset.accessKey) aboutItem.click();
    });
    document.addEventListener('pointerdown', (event) => {
        if (!menu.contains(event.target) && !menuButton.contains(event.target)) closeMenu();
    });

    // Beyond the window: how far the run is, and a way to stop it.
    const runStrip = element('div', 'run-strip');
    const progress = element('progress');
    progress.max = 1;
    progress.value = 0;
    const cancel = element('button', '', texts.cancel);
    cancel.type = 'button';
    cancel.disabled = true;
    runStrip.append(progress, cancel);
    dialog.frame.append(runStrip);
    // Where the worker cannot keep the result on disk, the page says it is held in memory.
    const inMemoryNote = element('p', 'in-memory-note', texts.inMemory);
    inMemoryNote.hidden = true;
    dialog.frame.append(inMemoryNote);
    // And the search for forgotten settings on the chosen source, whose answers fill the boxes.
    const searchStrip = element('div', 'search-strip');
    const findButton = element('button', 'find-settings', SEARCH.find);
    findButton.type = 'button';
    const searchStatus = element('span', 'search-status');
    const answersList = element('ul', 'search-answers');
    searchStrip.append(findButton, searchStatus, answersList);
    dialog.frame.append(searchStrip);
    document.body.append(dialog.frame);
    document.title = texts.dialog.caption;

    let source = null;  // the File to convert
    let destHandle = null;  // the file picked in the save dialog, where there is one

    const fileInput = element('input');
    fileInput.type = 'file';
    fileInput.hidden = true;
    document.body.append(fileInput);

    // Like the window's chooser: the file must be readable, and a cancel clears the choice.
    async function setSource(file) {
        source = null;
        sourceBox.value = '';
        if (!file) return;
        try {
            await file.slice(0, 1).arrayBuffer();
        } catch (error) {
            await messageBox(describeFileError(file.name, 'read', error.name, error.message));
            return;
        }
        source = file;
        sourceBox.value = file.name;
        sourceBox.title = file.name;
    }
    control(IDC_CHOOSE_SOURCE).addEventListener('click', () => {
        fileInput.value = '';
        fileInput.click();
    });
    fileInput.addEventListener('change', () => setSource(fileInput.files[0]));
    fileInput.addEventListener('cancel', () => setSource(null));
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
        event.preventDefault();
        if (!running && event.dataTransfer.files.length > 0) setSource(event.dataTransfer.files[0]);
    });

    control(IDC_CHOOSE_DEST).addEventListener('click', async () => {
        if (!canSaveInPlace) {
            if (!destBox.value && source) destBox.value = source.name;
            destBox.focus();
            destBox.select();
            return;
        }
        destHandle = null;
        destBox.value = '';
        try {
            destHandle = await window.showSaveFilePicker(source ? { suggestedName: source.name } : {});
            destBox.value = destHandle.name;
            destBox.title = destHandle.name;
        } catch (error) {
            if (error.name !== 'AbortError') {
                await messageBox(describeFileError('', 'openWrite', error.name, error.message));
            }
        }
    });

    // The run, in the worker; the dialog takes no input meanwhile, as the window does not.
    const worker = new Worker(URL.createObjectURL(new Blob(
        [document.getElementById('worker-source').textContent], { type: 'text/javascript' })));
    worker.addEventListener('message', ({ data }) => {
        if (data.type === 'storage') inMemoryNote.hidden = data.onDisk || canSaveInPlace;
    });
    let running = false;
    let captionTimer = 0;
    let elsewhereShown = false;
    const inputs = () => dialog.client.querySelectorAll('input, button');
    function setRunning(on) {
        running = on;
        for (const input of inputs()) input.disabled = on;
        for (const button of searchStrip.querySelectorAll('button')) button.disabled = on;
        menuButton.disabled = on;
        cancel.disabled = !on;
        sourceBox.readOnly = true;
        destBox.readOnly = canSaveInPlace;
        if (!on) {
            clearInterval(captionTimer);
            document.title = dialog.title.textContent = texts.dialog.caption;
        }
    }
    function showCaption(caption) {
        elsewhereShown ||= caption === texts.waitElsewhereCaption;
        document.title = dialog.title.textContent = caption;
    }

    control(IDC_RUN).addEventListener('click', () => {
        const destName = canSaveInPlace ? destHandle?.name : destBox.value.trim();
        // As in the window: without both files, nothing happens.
        if (!source || !destName || running) return;
        setRunning(true);
        progress.value = 0;
        worker.postMessage({
            type: 'run', file: source, handle: canSaveInPlace ? destHandle : null,
            texts: NUMBER_BOXES.map((id) => control(id).value), randomize: randomizeBox.checked,
        });
        worker.onmessage = async ({ data }) => {
            switch (data.type) {
                case 'notInteger': {
                    setRunning(false);
                    const box = control(NUMBER_BOXES[data.box]);
                    await messageBox(texts.notAnInteger);
                    box.focus();
                    box.select();
                    break;
                }
                case 'started':
                    NUMBER_BOXES.forEach((id, i) => {
                        control(id).value = String(data.values[i]);
                    });
                    showCaption(texts.runningCaption);
                    // As in the window: the first wait caption at once, and both at least once
                    // however short the run (the second when it is done, if not yet shown).
                    elsewhereShown = false;
                    showCaption(texts.waitCaption);
                    captionTimer = setInterval(() => {
                        showCaption(document.title === texts.waitCaption
                            ? texts.waitElsewhereCaption : texts.waitCaption);
                    }, texts.captionInterval);
                    break;
                case 'progress':
                    progress.value = data.done / data.total;
                    break;
                case 'done':
                    progress.value = 1;
                    if (data.blob) download(data.blob, destName);
                    if (!elsewhereShown) showCaption(texts.waitElsewhereCaption);
                    setRunning(false);
                    break;
                case 'cancelled':
                    progress.value = 0;
                    setRunning(false);
                    break;
                case 'failed':
                    setRunning(false);
                    await messageBox(describeFileError(
                        data.action === 'read' ? source.name : destName,
                        data.action, data.name, data.message));
                    break;
            }
        };
    });
    cancel.addEventListener('click', () => worker.postMessage({ type: 'cancel' }));

    function showAnswers(result, seconds) {
        answersList.replaceChildren();
        if (result.error) {
            searchStatus.textContent = `${SEARCH.nothing} (${result.error})`;
            return;
        }
        const statuses = {
            confirmed: SEARCH.confirmed, probable: SEARCH.probable,
            several: SEARCH.several(result.found),
        };
        searchStatus.textContent = [statuses[result.verdict] ?? SEARCH.nothing,
            result.laterBeginnings > 0 ? SEARCH.laterBeginnings(result.laterBeginnings) : '',
            result.timedOut ? SEARCH.timedOut(seconds) : ''].join('');
        for (const answer of result.answers) {
            const item = element('li', 'search-answer');
            const use = element('button', '', SEARCH.use);
            use.type = 'button';
            use.addEventListener('click', () => {
                control(IDC_VALUE).value = String(answer.value);
                control(IDC_STEP).value = String(answer.step);
                control(IDC_START).value = String(answer.start);
                control(IDC_SLIDE).value = String(answer.slide);
                randomizeBox.checked = answer.randomize;
            });
            item.append(element('span', '', `${SEARCH.settings(answer)} — ` +
                (answer.confirmed ? SEARCH.checksums(answer) : SEARCH.structure(answer))), use);
            answersList.append(item);
        }
    }

    // The search runs in the worker without pause until it ends or its time is up.
    findButton.addEventListener('click', () => {
        if (!source || running) return;
        setRunning(true);
        cancel.disabled = true;
        progress.value = 0;
        answersList.replaceChildren();
        searchStatus.textContent = SEARCH.searching(20);
        worker.postMessage({ type: 'find', file: source });
        worker.onmessage = async ({ data }) => {
            switch (data.type) {
                case 'searchProgress':
                    progress.value = data.done;
                    break;
                case 'found':
                    progress.value = 1;
                    setRunning(false);
                    showAnswers(data.result, data.seconds);
                    break;
                case 'failed':
                    setRunning(false);
                    searchStatus.textContent = '';
                    await messageBox(describeFileError(source.name, 'read', data.name,
                        data.message));
                    break;
            }
        };
    });

    function download(blob, name) {
        const link = element('a');
        link.href = URL.createObjectURL(blob);
        link.download = name;
        document.body.append(link);
        link.click();
        link.remove();
        // The browser has taken the file once the click is handled.
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    }

    sourceBox.focus();
}

main();
