#!/usr/bin/env python3
"""A browser signs in to vorl-server, reads the overview, a device and one night's plot at a phone's and
a desktop's width, and downloads a report. Chromium headless through its driver; screenshots are left in
the work folder for whoever wants to look at them.

Usage: browser_smoke.py BIN_DIR [WORK_DIR]     exit 77 when Chromium, its driver or Selenium is missing.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77
CHROMIUM = "/usr/bin/chromium"
DRIVER = "/usr/bin/chromedriver"

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions as ec
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("python3-selenium is missing: skipped")
    sys.exit(SKIP)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs)


def main():
    if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
        print("chromium or chromedriver is missing: skipped")
        return SKIP
    bin_dir = sys.argv[1]
    work = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp(prefix="vorl-browser-")
    os.makedirs(work, exist_ok=True)
    cli, server_program = os.path.join(bin_dir, "vorl-cli"), os.path.join(bin_dir, "vorl-server")
    archive = os.path.join(work, "archive.sqlite")
    if os.path.exists(archive):
        os.remove(archive)
    history = os.path.join(work, "history")
    shutil.rmtree(history, ignore_errors=True)
    start = time.strftime("%d/%m/%Y", time.localtime(time.time() - 9 * 7 * 86400))
    files = run([cli, "generate", "--history", history, "--weeks", "8", "--start", start]).stdout.split()
    run([cli, "archive", "import", *files, "--archive", archive])
    venue = run([cli, "archive", "venue", "add", "Le Zinc", "--archive", archive]).stdout.strip()
    run([cli, "archive", "venue", "attach", "--venue", venue, "--device", "1", "--archive", archive])
    password = "un mot de passe assez long"
    run([server_program, "user", "add", "anne", "--role", "admin", "--archive", archive], input=password + "\n")

    port = free_port()
    origin = f"http://localhost:{port}"
    server = subprocess.Popen([server_program, "serve", "--listen", f"127.0.0.1:{port}", "--archive", archive,
                               "--origin", origin], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        server.stdout.readline()  # listening
        downloads = os.path.join(work, "downloads")
        shutil.rmtree(downloads, ignore_errors=True)
        os.makedirs(downloads)
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--window-size=1280,800"):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
        driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        wait = WebDriverWait(driver, 20)
        try:
            driver.get(origin + "/")
            wait.until(ec.presence_of_element_located((By.NAME, "user"))).send_keys("anne")
            driver.save_screenshot(os.path.join(work, "login-1280.png"))
            driver.find_element(By.NAME, "password").send_keys(password)
            driver.find_element(By.CSS_SELECTOR, "form.login button").click()
            wait.until(ec.text_to_be_present_in_element((By.TAG_NAME, "h1"), "Vue d'ensemble"))
            driver.save_screenshot(os.path.join(work, "overview-1280.png"))
            driver.find_element(By.CSS_SELECTOR, "table.overview a").click()
            wait.until(ec.text_to_be_present_in_element((By.TAG_NAME, "h1"), "Lieu "))
            driver.save_screenshot(os.path.join(work, "venue-1280.png"))
            driver.find_element(By.CSS_SELECTOR, "section table a").click()
            wait.until(ec.presence_of_element_located((By.CSS_SELECTOR, "svg.calendar")))
            driver.save_screenshot(os.path.join(work, "device-1280.png"))
            night_link = driver.find_elements(By.CSS_SELECTOR, "section table a")[0]
            night_link.click()
            plot = wait.until(ec.presence_of_element_located((By.CSS_SELECTOR, "figure.band img")))
            wait.until(lambda d: d.execute_script("return arguments[0].complete && arguments[0].naturalWidth", plot))
            for width, height in ((390, 844), (1280, 800)):
                driver.set_window_size(width, height)
                driver.save_screenshot(os.path.join(work, f"night-{width}.png"))
                overflow = driver.execute_script("return document.documentElement.scrollWidth")
                assert overflow <= width + 1, f"the night's page is {overflow} px wide at {width} px"
            driver.get(origin + "/rapports")
            driver.find_element(By.CSS_SELECTOR, "#format option[value=csv]").click()
            driver.find_element(By.CSS_SELECTOR, "form.report button").click()
            WebDriverWait(driver, 30).until(
                lambda d: any(n.endswith(".csv") for n in os.listdir(downloads)))
            report = next(n for n in os.listdir(downloads) if n.endswith(".csv"))
            with open(os.path.join(downloads, report), encoding="utf-8") as f:
                assert f.readline().strip(), "the report is empty"
        finally:
            driver.quit()
    finally:
        server.terminate()
        server.wait(10)
    print(f"browser smoke test passed; screenshots in {work}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
